// SPDX-License-Identifier: Apache-2.0
#pragma once
// A reader's settings by name, and what a write would change (core/change_plan.h) in the
// tool's words: the core's reason codes become a status and a text in the user's language.
#include <string>
#include <utility>
#include <vector>

#include "cli/reader.h"
#include "core/change_plan.h"
#include "core/setting_names.h"

// name -> value name, in the family's order ("type" is "none" with touch-memory output).
std::vector<std::pair<std::string, std::string>> NamedSettings(const Reader& reader);

// Every value name of one setting, for messages ("none" too for the USB type).
std::string SettingValuesList(int family, const std::string& name);

struct Target {
    Status status = Status::Ok;  // Ok, Usage, NotRecognized or RuleViolation
    std::string detail;          // why not, in the user's language
    std::string chars;           // the setting characters to write
    std::vector<Change> changes; // empty when the reader already holds them
};

// The reader's settings with the choices put in. A type given while the format is (or becomes)
// touch-memory is refused (a profile's parser refuses one beside "format = touch-memory" in
// its own section already).
Target TargetOfChoices(int language, const Reader& reader, const std::vector<SettingChoice>& choices);
// NAME=VALUE pairs of the command line; a name of the other family is a usage error.
Target TargetOfAssignments(int language, const Reader& reader,
                           const std::vector<std::pair<std::string, std::string>>& assignments);
// Setting characters given whole (write --raw).
Target TargetOfRaw(int language, const Reader& reader, const std::string& chars);
