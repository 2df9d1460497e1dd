#pragma once
// One reader's settings on the page: the window's groups with their legends, radio captions
// and lamp colours, the choices the firmware rules forbid disabled, and the user's choices
// kept as vireo4's NAME=VALUE settings on top of what the reader holds.
#include <string>
#include <vector>

#include "core/profile.h"

struct PageReader {
    int family;
    char model;
    int firmwareVersion;
    std::string payload;  // as read: firmware label and setting characters
};

// "name=value" lines, as the page keeps the user's choices; lines that name nothing are skipped.
std::vector<SettingChoice> ParseChoices(int family, const std::string& lines);

// {"groups": [{"setting", "legend", "enabled", "lamp": "#rrggbb", "choices": [{"value",
// "caption", "checked", "enabled"}]}], "problems": [the window's messages for values that name
// no choice]}.
std::string ViewJson(const PageReader& reader, const std::string& choiceLines, int language);

// The user picks value for setting: {"choices": "name=value\n..."}, with what the window's page
// does beside it (Touch Memory output drops the type and, where the firmware forbids 7 bytes
// with it, takes 5; HEX or DEC output without a type takes HEX).
std::string ChooseJson(const PageReader& reader, const std::string& choiceLines, const std::string& setting,
                       const std::string& value);
