// SPDX-License-Identifier: Apache-2.0
#pragma once
// One reader's settings on the page: the window's groups with their legends, radio captions
// and lamp colours, the choices the firmware rules forbid disabled, the user's choices kept as
// vireo4's NAME=VALUE settings on top of what the reader holds, and what writing them (or a
// profile) would change, as the core plans it.
#include <string>
#include <vector>

#include "core/change_plan.h"
#include "core/profile.h"

struct PageReader {
    int family;
    char model;
    int firmwareVersion;
    std::string payload;  // as read: firmware label and setting characters
};

ReaderFacts FactsOf(const PageReader& reader);

// "name=value" lines, as the page keeps the user's choices; lines that name nothing are
// skipped, and a later line for a setting replaces an earlier one.
std::vector<SettingChoice> ParseChoices(int family, const std::string& lines);

// {"groups": [{"setting", "legend", "enabled", "lamp": "#rrggbb", "choices": [{"value",
// "caption", "checked", "enabled"}]}], "problems": [the window's messages for values that name
// no choice]}.
std::string ViewJson(const PageReader& reader, const std::string& choiceLines, int language);

// The user picks value for setting: {"choices": "name=value\n..."}, with what the window's page
// does beside a choice: a setting that comes to mean nothing loses its choice (the type beside
// Touch Memory output), one that comes to mean something takes its first choice (HEX), and a
// choice the firmware rules take away takes the next one (7 bytes beside Touch Memory at 1.10: 5).
std::string ChooseJson(const PageReader& reader, const std::string& choiceLines, const std::string& setting,
                       const std::string& value);

// What writing the choices would do: {"status", "detail", "chars", "command", "changes":
// [{"name", "before", "after"}]}; status "ok" or vireo4's word for the refusal.
std::string TargetJson(const PageReader& reader, const std::string& choiceLines, int language);

// The same for a profile's section of the reader's family ("skipped" without one).
std::string ProfileTargetJson(const PageReader& reader, const Profile& profile, int language);
