// SPDX-License-Identifier: Apache-2.0
#include <doctest/doctest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/port_names.h"

namespace {

std::vector<int> Sorted(const std::vector<const char*>& entries) {
    int numbers[kMaxListedPorts];
    const int n = SortedPortNumbers(entries.data(), static_cast<int>(entries.size()), numbers);
    return std::vector<int>(numbers, numbers + n);
}

std::vector<std::uint16_t> Wide(const std::string& text) {
    std::vector<std::uint16_t> wide(text.begin(), text.end());
    wide.push_back(0);
    return wide;
}

}  // namespace

TEST_CASE("port numbers are read from the fourth character on, like atoi") {
    CHECK(PortNumberFromText("COM3") == 3);
    CHECK(PortNumberFromText("COM123") == 123);
    CHECK(PortNumberFromText("XYZ7") == 7);        // the first three characters are ignored
    CHECK(PortNumberFromText("COM12abc") == 12);   // leading digits only
    CHECK(PortNumberFromText("COM 5") == 5);       // white space before the digits
    CHECK(PortNumberFromText("COM-2") == -2);
    CHECK(PortNumberFromText("COMX") == 0);
    CHECK(PortNumberFromText("COM") == 0);         // nothing after the prefix: never read past it
    CHECK(PortNumberFromText("CO") == 0);
    CHECK(PortNumberFromText("") == 0);
    CHECK(PortNumberFromText("COM99999999999999999999") == INT_MAX);  // saturates, no overflow
    CHECK(PortNumberFromText("COM-99999999999999999999") == INT_MIN);
}

TEST_CASE("the sort orders by number, keeps duplicates and only the first 50 entries in list order") {
    CHECK(Sorted({"COM10", "COM3", "COM1"}) == std::vector<int>{1, 3, 10});
    CHECK(Sorted({"COM4", "COM4", "COM2"}) == std::vector<int>{2, 4, 4});
    CHECK(Sorted({"COMX", "COM2"}) == std::vector<int>{0, 2});
    CHECK(Sorted({}).empty());

    // 60 ports listed from COM60 down to COM1: the first 50 in list order are COM60..COM11,
    // not the 50 lowest.
    std::vector<std::string> names;
    for (int n = 60; n >= 1; --n) names.push_back("COM" + std::to_string(n));
    std::vector<const char*> entries;
    for (const auto& name : names) entries.push_back(name.c_str());
    const std::vector<int> sorted = Sorted(entries);
    REQUIRE(sorted.size() == 50);
    CHECK(sorted.front() == 11);
    CHECK(sorted.back() == 60);

    // Extreme numbers sort without the overflow of a subtracting comparator.
    CHECK(Sorted({"COM2147483647", "COM-2147483648", "COM0"}) == std::vector<int>{INT_MIN, 0, INT_MAX});
}

TEST_CASE("sorted entries are written as COM and the number, without a two-digit limit") {
    char name[16];
    FormatPortName(3, name, sizeof name);
    CHECK(std::string(name) == "COM3");
    FormatPortName(123, name, sizeof name);
    CHECK(std::string(name) == "COM123");
    FormatPortName(0, name, sizeof name);
    CHECK(std::string(name) == "COM0");
    FormatPortName(INT_MIN, name, sizeof name);
    CHECK(std::string(name) == "COM-2147483648");
    char tiny[4];
    FormatPortName(255, tiny, sizeof tiny);
    CHECK(std::string(tiny) == "COM");  // cut, terminated, never overflowing
}

TEST_CASE("UTF-16 names are narrowed by the low byte of each character, within the buffer") {
    char out[6];
    CHECK(NarrowLowBytes(Wide("COM12").data(), out, sizeof out));
    CHECK(std::string(out) == "COM12");
    CHECK_FALSE(NarrowLowBytes(Wide("COM123").data(), out, sizeof out));  // would need 7 bytes
    CHECK(std::string(out).empty());
    const std::uint16_t cyrillic[] = {0x0421, 0x004F, 0x004D, 0x0033, 0};  // low byte of U+0421 is '!'
    CHECK(NarrowLowBytes(cyrillic, out, sizeof out));
    CHECK(std::string(out) == "!OM3");
}

TEST_CASE("a registry name is compared in full with the port name, case-sensitively") {
    CHECK(NarrowedEquals(Wide("COM3").data(), "COM3"));
    CHECK_FALSE(NarrowedEquals(Wide("com3").data(), "COM3"));
    CHECK_FALSE(NarrowedEquals(Wide("COM3").data(), "COM31"));
    CHECK_FALSE(NarrowedEquals(Wide("COM31").data(), "COM3"));
    CHECK_FALSE(NarrowedEquals(Wide("").data(), ""));  // an empty value never matches
    // Names far longer than any narrowing buffer are compared whole, and only equal if whole.
    const std::string longName = "COM" + std::string(300, '7');
    CHECK(NarrowedEquals(Wide(longName).data(), longName.c_str()));
    CHECK_FALSE(NarrowedEquals(Wide(longName).data(), longName.substr(0, 17).c_str()));
    const std::uint16_t wideHigh[] = {0x0143, 'O', 'M', '3', 0};  // low byte 'C'
    CHECK(NarrowedEquals(wideHigh, "COM3"));
}

TEST_CASE("a Windows port in any spelling is one port: COM3, com3, \\\\.\\COM3, COM3:") {
    for (const char* name : {"COM3", "com3", "Com3:", "\\\\.\\COM3", "\\\\.\\com3:", "\\\\?\\COM3"})
        CHECK(CanonicalPortName(name) == "COM3");
    CHECK(CanonicalPortName("COM256") == "COM256");
    CHECK(CanonicalPortName("cnca0") == "CNCA0");  // any device name ignores case
    CHECK(CanonicalPortName("C:\\ports\\com3") == "C:\\ports\\com3");  // a path is no device name
    CHECK(CanonicalPortName("") == "");
    CHECK(CanonicalPortName(":") == ":");
}
