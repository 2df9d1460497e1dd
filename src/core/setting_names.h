// SPDX-License-Identifier: Apache-2.0
#pragma once
// Settings by name, for people and for profile files: "interface=wiegand-26", "bytes=5".
// Names and values are lower case ASCII and stand in the setting table; each family has its
// own set of names, in the order the reader's setting characters stand.
#include <cstddef>
#include <string>

#include "core/setting_table.h"
#include "core/settings.h"

// The names the table had before it held more than names; for callers not yet moved over.
using SettingName = SettingFacts;
inline const SettingFacts* SettingNamesOf(int family, std::size_t* count) { return SettingsOf(family, count); }

// The USB type's word for "no type": Touch Memory output has none.
constexpr const char kNoTypeName[] = "none";

// A family's setting by name, or null.
const SettingFacts* FindSettingName(int family, const char* name);
// The value of a choice by its name, or -1.
int FindSettingValue(const SettingFacts& setting, const char* valueName);
// The name of a value, or "not-recognized".
const char* SettingValueText(const SettingFacts& setting, int value);

// The value of each named setting in a family's settings, by index into SettingsOf, and
// the other way round. The USB type is NotRecognized ("none") unless the format is HexOrDec.
int KruKrmSettingValue(const KruKrmSettings& settings, std::size_t index);
void SetKruKrmSettingValue(KruKrmSettings* settings, std::size_t index, int value);
int UsbSettingValue(const UsbSettings& settings, std::size_t index);
void SetUsbSettingValue(UsbSettings* settings, std::size_t index, int value);

// Every setting name of a family, for messages: "interface, indication, standby, touch-poll".
std::string SettingNamesList(int family);
