// SPDX-License-Identifier: Apache-2.0
#pragma once
// vireo4-docs: the man page and the manual's command-line chapter, filled from vireo4's
// reference at build time. A template line "@@block@@" becomes that block; @VERSION@,
// @VERSION_LABEL@, @VERSION_FILE_LABEL@ and @MANUAL_NAME@ become the version's spellings.
#include <map>
#include <string>
#include <vector>

using Blocks = std::map<std::string, std::string>;

// Inline markup of the reference texts: `literal`.
std::string Roff(const std::string& text);      // man page text: escaped, literals bold
std::string Markdown(const std::string& text);  // manual table cell: '|' and '\' escaped

// A family's settings as both documents list them: each name with its values, a value
// glossed with its caption in the window where that says more than its name, and the
// window's group holding the setting.
struct ValueRow {
    std::string name;
    std::string gloss;  // "" when the caption reads as the name
};
struct SettingRow {
    std::string name;
    std::vector<ValueRow> values;
    std::string note;   // "none with format=touch-memory" for the USB type
    std::string group;  // "1) INTERFACES:"
};
struct FamilyRows {
    std::string heading;  // "Settings of KRU/KRM readers ([kru-krm]):"
    std::vector<SettingRow> settings;
};
std::vector<FamilyRows> SettingRows(int language);

Blocks ManPageBlocks();
// Blocks named "commands:en", "settings:ru", ...
Blocks ManualBlocks();

// The template with its blocks and version spellings filled in; false with the error text
// for a block the generator does not know.
bool FillTemplate(const std::string& text, const Blocks& blocks, std::string* out, std::string* error);
