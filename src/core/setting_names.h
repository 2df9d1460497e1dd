#pragma once
// Settings by name, for people and for profile files: "interface=wiegand-26", "bytes=5".
// Names and values are lower case ASCII; each family has its own set of names, in the order
// the reader's setting characters stand.
#include <cstddef>
#include <string>

#include "core/settings.h"

struct SettingValueName {
    int value;         // the enum's value
    const char* name;  // "wiegand-26"
};

struct SettingName {
    const char* name;                 // "interface"
    const SettingValueName* values;   // every choice, NotRecognized excluded
    std::size_t valueCount;
};

// Indexes into each family's names, in the order the setting characters stand.
enum KruKrmSettingIndex : std::size_t { kInterfaceIndex, kIndicationIndex, kStandbyIndex, kTouchPollIndex };
enum UsbSettingIndex : std::size_t { kModeIndex, kFormatIndex, kTypeIndex, kBytesIndex, kCardsIndex };

// The USB type's word for "no type": Touch Memory output has none.
constexpr const char kNoTypeName[] = "none";

// The names of a family (kKruKrm: interface, indication, standby, touch-poll; kUsb: mode,
// format, type, bytes, cards), count set; null for any other family value.
const SettingName* SettingNamesOf(int family, std::size_t* count);
// A family's setting by name, or null.
const SettingName* FindSettingName(int family, const char* name);
// The value of a choice by its name, or -1.
int FindSettingValue(const SettingName& setting, const char* valueName);
// The name of a value, or "not-recognized".
const char* SettingValueText(const SettingName& setting, int value);

// The value of each named setting in a family's settings, by index into SettingNamesOf, and
// the other way round. The USB type is NotRecognized ("none") unless the format is HexOrDec.
int KruKrmSettingValue(const KruKrmSettings& settings, std::size_t index);
void SetKruKrmSettingValue(KruKrmSettings* settings, std::size_t index, int value);
int UsbSettingValue(const UsbSettings& settings, std::size_t index);
void SetUsbSettingValue(UsbSettings* settings, std::size_t index, int value);

// Every setting name of a family, for messages: "interface, indication, standby, touch-poll".
std::string SettingNamesList(int family);
