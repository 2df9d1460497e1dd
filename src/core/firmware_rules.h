// SPDX-License-Identifier: Apache-2.0
#pragma once
// The firmware and model rules: choices only some readers offer. One table serves the checks
// (the window's radios, a write's target) and what people read about them (vireo4's help).
#include <cstddef>

struct FirmwareRule {
    int family;
    std::size_t setting;  // index into SettingsOf(family)
    int value;            // the choice the rule governs
    char modelLetter;     // the one model that offers it
    int minFirmware;      // times 100: offered from this firmware on
    // With conditionSetting at conditionValue the choice needs firmware above aboveFirmware.
    bool conditional;
    std::size_t conditionSetting;
    int conditionValue;
    int aboveFirmware;
};

// Every rule, count set; each also stands in its setting's row of the setting table.
const FirmwareRule* FirmwareRules(std::size_t* count);
// The rule that governs a family's setting, or null.
const FirmwareRule* FirmwareRuleFor(int family, std::size_t setting);

// Whether a reader of this model and firmware may hold the rule's choice beside conditionValue,
// the value it then has for the condition's setting.
bool FirmwareRuleAllows(const FirmwareRule& rule, int firmwareVersion, char modelLetter, int conditionValue);

// A version number (times 100) as its label, "1.10", always terminated within size.
void FormatFirmwareLabel(int firmwareVersion, char* label, std::size_t size);
