// SPDX-License-Identifier: Apache-2.0
#pragma once
// Every setting of both reader families, once: where its characters stand in the settings
// string and what each choice writes there, its name and value names for vireo4 and profiles,
// its legend, radio captions and lamp colours, the window's radio of each choice, the page's
// default, the value a write carries when no choice is made, the other setting it depends on
// and the firmware rule that governs one of its choices. Decoding, encoding, names, looks and
// the wiring of the window's radios and the page's groups all read this table.
//
//   for (int family : kReaderFamilies)
//       for each SettingFacts s of SettingsOf(family, &count):
//           s.name, s.values[k].name, s.values[k].caption / textId, s.defaultValue
#include <cstddef>
#include <cstdint>

#include "core/family.h"
#include "core/firmware_rules.h"
#include "core/radio_ids.h"

using LampColor = std::uint32_t;  // COLORREF layout 0x00BBGGRR
constexpr LampColor kRed = 0x000000FF, kGreen = 0x0000FF00, kBlue = 0x00FF0000, kCyan = 0x00FFFF00,
                    kMagenta = 0x00FF00FF, kYellow = 0x0000FFFF, kWhite = 0x00FFFFFF;
// The lamps in the "Indic." column, one per group of a page; white when a group gives none.
constexpr int kLampCount = 5;

// A caption from the text table, or (kFixedCaption) a literal.
constexpr int kFixedCaption = -1;

struct ChoiceFacts {
    int value;            // the settings enum's value (never 0, NotRecognized)
    const char* name;     // "wiegand-26"
    const char* code;     // the characters it stands as, from the setting's offset: "W26"
    int textId;           // UiTextId of its caption, or kFixedCaption
    const char* caption;  // the literal when textId is kFixedCaption
    LampColor lamp;       // the colour it gives its group's lamp (white for groups without one)
    int radioId;          // the window's radio
};

// The setting means something only while another of its family holds one value.
struct SettingCondition {
    bool present;
    std::size_t setting;
    int value;
};

struct SettingFacts {
    const char* name;            // "interface"
    const ChoiceFacts* values;   // every choice in page order, NotRecognized excluded
    std::size_t valueCount;
    int offset;                  // of its characters within the setting characters
    int legendTextId;            // UiTextId of the group box
    int notRecognizedTextId;     // UiTextId of the message when the reader's value names no choice
    int lamp;                    // its lamp, 0-based
    bool colorsLamp;             // false: its choices leave the lamp as it is (white)
    int defaultValue;            // the choice the page checks when it is shown
    int unchosenValue;           // what a write carries when the setting names no choice
    SettingCondition meaningfulWhen;
    const FirmwareRule* rule;    // the firmware rule on one of its choices, or null
};

constexpr int kReaderFamilies[] = {kKruKrm, kUsb};

// Indexes into each family's settings, in the order the setting characters stand.
enum KruKrmSettingIndex : std::size_t { kInterfaceIndex, kIndicationIndex, kStandbyIndex, kTouchPollIndex };
enum UsbSettingIndex : std::size_t { kModeIndex, kFormatIndex, kTypeIndex, kBytesIndex, kCardsIndex };
// No family has more settings than this.
constexpr std::size_t kMostSettings = 5;

// The settings of a family in the order their characters stand (kKruKrm: interface,
// indication, standby, touch-poll; kUsb: mode, format, type, bytes, cards), count set; null
// and 0 for any other family value.
const SettingFacts* SettingsOf(int family, std::size_t* count);
// A setting of a family by index, or null.
const SettingFacts* SettingOf(int family, std::size_t index);

// The choice a value names, or null (NotRecognized, out of range).
const ChoiceFacts* ChoiceOf(const SettingFacts& setting, int value);
// The window's radio of a value, or kNoRadio.
int RadioOfValue(const SettingFacts& setting, int value);
// The first and last radio of a setting's group.
int FirstRadioOf(const SettingFacts& setting);
int LastRadioOf(const SettingFacts& setting);

// A choice's caption in a language (code page 1251 for Russian, as the text table holds it).
const char* ChoiceCaption(const ChoiceFacts& choice, int language);

// Where a radio stands in the table: false for ids that are no setting radio.
struct RadioPlace {
    int family;
    std::size_t setting;
    const ChoiceFacts* choice;
};
bool FindRadio(int radioId, RadioPlace* place);

// The choice after value, taken instead when the firmware rules take value away; 0 when value
// is the last or names no choice.
int NextValue(const SettingFacts& setting, int value);

// The card-for-read group stands on the KRU/KRM page too, greyed, its lamp white: the USB
// setting at this index.
constexpr std::size_t kSharedCardsSetting = kCardsIndex;

// The lamp colours a family's page shows with its defaults checked; white for lamps no group
// of the page colours (the card-for-read lamp on both pages). Any family other than kUsb
// counts as KRU/KRM.
void DefaultLampColors(int family, LampColor colors[kLampCount]);
