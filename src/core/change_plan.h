// SPDX-License-Identifier: Apache-2.0
#pragma once
// What writing wanted settings to a reader would change, decided before anything is sent: the
// target setting characters, each changed setting (name, before, after), or the reason it
// cannot be done. Texts are the caller's; here are only reason codes.
#include <string>
#include <utility>
#include <vector>

#include "core/profile.h"

// What a write needs to know of the reader: its family, model letter, firmware (times 100)
// and the setting characters it holds.
struct ReaderFacts {
    int family;
    char modelLetter;
    int firmwareVersion;
    std::string chars;
};

enum class ChangeRefusal : int {
    None,
    TypeBesideTouchMemory,  // a type given while the format is or becomes touch-memory
    TypeNeeded,             // hex-or-dec output with no type
    NotSettingCharacters,   // raw characters that are no setting string of the family
    SettingNotRecognized,   // the reader holds a setting no name fits and none was given: setting
    SettingOfOtherFamily,   // a name that belongs to the other family: setting
    UnknownSetting,         // a name no family has: setting
    UnknownValue,           // a value the setting lacks: setting, value
    Wiegand58NotAllowed,    // the firmware or model rules (firmware_rules.h)
    Bytes7NotAllowed,
    Bytes7WithTouchMemory,  // 7 bytes are allowed on this reader, not beside touch-memory output
};

// One changed setting; the name "raw" when only characters no name covers change.
struct SettingChange {
    std::string name;
    std::string before;
    std::string after;
};

struct ChangePlan {
    ChangeRefusal refusal = ChangeRefusal::None;
    std::string setting;  // the setting a refusal is about
    std::string value;    // UnknownValue: the value given
    std::string chars;    // the setting characters to write (refusal None)
    std::vector<SettingChange> changes;  // empty when the reader already holds them
};

// Named choices (a profile section's, or LookUpSetting's). A profile's parser has already
// refused a type that stands beside "format = touch-memory" in its own section.
ChangePlan PlanChoices(const ReaderFacts& reader, const std::vector<SettingChoice>& choices);
// NAME=VALUE pairs as a person gives them (any letter case; the USB type may be "none").
ChangePlan PlanAssignments(const ReaderFacts& reader,
                           const std::vector<std::pair<std::string, std::string>>& assignments);
// The setting characters given whole.
ChangePlan PlanRawCharacters(const ReaderFacts& reader, const std::string& chars);
