// SPDX-License-Identifier: Apache-2.0
#pragma once
// Port names and numbers, independent of the window system: how the port combobox's
// entries are turned into numbers, sorted and written back, and how UTF-16 names from the
// registry and the device functions are narrowed to 8-bit text (low byte of each character).
#include <cstddef>
#include <cstdint>
#include <string>

// The longest port name a session holds, with its terminator: "COM" + up to 3 digits fits
// with room to spare.
constexpr int kPortNameSize = 16;

// The sort keeps at most this many entries, and the serial-line search probes at most this many.
constexpr int kMaxListedPorts = 50;

// The number of an entry such as "COM12": the characters from the fourth on, read like atoi
// (leading white space, an optional sign, decimal digits; 0 when there are none). The first
// three characters are ignored whatever they are; a text of three characters or fewer gives 0.
// Out-of-range numbers saturate instead of overflowing.
int PortNumberFromText(const char* text);

// The leading-integer rule of atoi over 8-bit or UTF-16 text; saturates.
int ParseLeadingInt(const char* text);
int ParseLeadingInt(const std::uint16_t* text);

// Steps of the sort: the numbers of the first kMaxListedPorts entries in list order, sorted in
// ascending order with duplicates kept. Returns how many numbers were written (at most
// kMaxListedPorts); numbers must hold kMaxListedPorts elements.
int SortedPortNumbers(const char* const* entries, int count, int* numbers);

// "COM" followed by the number in decimal, always terminated within size (any int fits in 15).
void FormatPortName(int number, char* out, std::size_t size);

// Narrows a NUL-terminated UTF-16 text by taking the low byte of each character. Returns
// false, leaving out an empty text, when the narrowed text (with its terminator) does not fit
// in size bytes.
bool NarrowLowBytes(const std::uint16_t* wide, char* out, std::size_t size);

// True when the UTF-16 text, narrowed by low byte, equals name exactly (case-sensitive, full
// length, without any intermediate buffer). A text that narrows to nothing never matches.
bool NarrowedEquals(const std::uint16_t* wide, const char* name);

// A Windows port name in the one spelling the tool uses: Windows ignores the letter case of
// device names and takes "COM3", "com3", "\\.\COM3" and "COM3:" for the same port, so the
// device prefix and one trailing ':' go and letters become upper case ("COM3"). A name with
// a path separator after the prefix is no device name and comes back as it was.
std::string CanonicalPortName(const std::string& name);
