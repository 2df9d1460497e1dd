#pragma once
// How the named settings look on screen, for the window and the browser page alike: each
// setting is a group of radio buttons under a legend, each choice a radio with its caption, and
// the group's lamp in the "Indic." column takes the colour of the choice.
#include <cstddef>
#include <cstdint>

using LampColor = std::uint32_t;  // COLORREF layout 0x00BBGGRR
constexpr LampColor kRed = 0x000000FF, kGreen = 0x0000FF00, kBlue = 0x00FF0000, kCyan = 0x00FFFF00,
                    kMagenta = 0x00FF00FF, kYellow = 0x0000FFFF, kWhite = 0x00FFFFFF;
constexpr int kLampCount = 5;

// Radio captions that read the same in both languages.
constexpr const char kCaptionTouchMemory[] = "Touch Memory";
constexpr const char kCaptionWiegand26[] = "Wiegand 26";
constexpr const char kCaptionWiegand44[] = "Wiegand 44";
constexpr const char kCaptionWiegand58[] = "Wiegand 58";
constexpr const char kCaptionWindows[] = "WINDOWS";
constexpr const char kCaptionAllSystems[] = "Windows, Linux, MacOS";
constexpr const char kCaptionHex[] = "HEX";
constexpr const char kCaptionDec[] = "DEC";
constexpr const char kCaptionBytes7[] = "7";
constexpr const char kCaptionBytes5[] = "5";
constexpr const char kCaptionBytes4[] = "4";
constexpr const char kCaptionBytes3[] = "3";
constexpr const char kCaptionBytes2[] = "2";
constexpr const char kCaptionAllCards[] = "HID, EM-Marine + MIFARE, Pay";
constexpr const char kCaptionEmHidCards[] = "HID, EM-Marine";
constexpr const char kCaptionMifareCards[] = "MIFARE, Pay";

// A caption from the text table, or (kFixedCaption) a literal.
constexpr int kFixedCaption = -1;

struct ChoiceLook {
    int textId;           // UiTextId, or kFixedCaption
    const char* caption;  // the literal when textId is kFixedCaption
    LampColor lamp;       // the colour the choice gives its group's lamp
};

struct SettingLook {
    int legendTextId;           // UiTextId of the group box
    int notRecognizedTextId;    // UiTextId of the message when the reader's value names no choice
    int lamp;                   // the group's lamp, 0-based
    const ChoiceLook* choices;  // one per value, in the order of SettingNamesOf's values
    std::size_t choiceCount;
};

// One per setting of SettingNamesOf(family), in its order; count set. Null for any other family.
// The USB groups other than the operating mode leave their lamps white.
const SettingLook* SettingLooksOf(int family, std::size_t* count);

// The card-for-read group stands on the KRU/KRM page too, greyed, its lamp white: the USB
// setting at this index.
constexpr std::size_t kSharedCardsSetting = 4;
