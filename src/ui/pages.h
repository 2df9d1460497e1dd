#pragma once
// Portable rules of the setting pages.

// The firmware (times 100) from which the USB reader offers 7 ID bytes after "HEX or DEC",
// and up to which "Touch Memory" takes the 7-byte choice away again.
constexpr int kSevenBytesFirmware = 110;
constexpr char kUsbModelLetter = 'B';
// Offset of the number-of-bytes digit in a USB settings string.
constexpr int kByteCountOffset = 8;

// The number-of-bytes radio ('7' -> 28, '5' -> 29, '4' -> 30, '3' -> 31, '2' -> 32)
// for a digit of the settings string; 0 for any other character.
int ByteCountRadioForCode(char code);
