// SPDX-License-Identifier: Apache-2.0
#pragma once
// A reader's settings whatever its family: one value and the operations both families share
// (decode, encode, a setting's value by name, completeness), so that no caller writes an `if`
// per family. Setting characters are the 6 (KRU/KRM) or 7 (USB) characters after the firmware
// label of a settings reply, as a write carries them after "AT+".
#include <cstddef>
#include <string>
#include <vector>

#include "core/settings.h"

struct ReaderSettings {
    int family;             // kKruKrm or kUsb
    KruKrmSettings kruKrm;  // the KRU/KRM family's settings
    UsbSettings usb;        // the USB reader's settings
};

// The setting characters decoded; only the first length bytes are read (a missing one names no
// choice), so any text is safe. A family other than kUsb decodes as KRU/KRM.
ReaderSettings DecodeReaderSettings(int family, const char* chars, std::size_t length);
ReaderSettings DecodeReaderSettings(int family, const std::string& chars);

// The setting characters a write carries (without "AT+"); a value that names no choice is
// written as the encoders write it (settings.h).
std::string EncodeReaderSettings(const ReaderSettings& settings);

// True when every setting names a choice (the USB type only with hex-or-dec output).
bool ReaderSettingsComplete(const ReaderSettings& settings);

// The number of named settings of the family and the name of one ("interface").
std::size_t ReaderSettingCount(const ReaderSettings& settings);
const char* ReaderSettingName(const ReaderSettings& settings, std::size_t index);
// The index of a setting by its name, or -1 when the family has no such setting.
int ReaderSettingIndex(const ReaderSettings& settings, const char* name);

// A setting's value (its enum's value, 0 when it names no choice) by index, and set by index.
int ReaderSettingValue(const ReaderSettings& settings, std::size_t index);
void SetReaderSettingValue(ReaderSettings* settings, std::size_t index, int value);
// False for a setting that means nothing beside the others: the USB type with Touch Memory output.
bool ReaderSettingMeaningful(const ReaderSettings& settings, std::size_t index);

// A setting's value as a word: "wiegand-26"; kNoTypeName for a setting that means nothing;
// "not-recognized" when it names no choice; null for an index or name the family lacks.
const char* ReaderSettingValueName(const ReaderSettings& settings, std::size_t index);
const char* ReaderSettingValueName(const ReaderSettings& settings, const char* name);

// Every setting's name and value word, in the order the setting characters stand.
struct NamedSetting {
    const char* name;
    const char* value;
};
std::vector<NamedSetting> NamedReaderSettings(const ReaderSettings& settings);
