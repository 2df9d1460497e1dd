// SPDX-License-Identifier: Apache-2.0
#include <cctype>

#include "cli/docgen/docgen.h"
#include "cli/help.h"
#include "cli/messages.h"
#include "core/family.h"
#include "core/setting_table.h"

namespace {

// Lower case letters and digits only: "Touch Memory" reads as "touch-memory".
std::string Folded(const std::string& text) {
    std::string folded;
    for (unsigned char c : text) {
        if (std::isalnum(c)) folded += static_cast<char>(std::tolower(c));
        else if (c >= 0x80) folded += static_cast<char>(c);
    }
    return folded;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string CaptionOf(int language, const ChoiceFacts& choice) {
    return choice.textId == kFixedCaption ? choice.caption : WindowText(language, static_cast<UiTextId>(choice.textId));
}

}  // namespace

std::vector<FamilyRows> SettingRows(int language) {
    std::vector<FamilyRows> families;
    for (int family : kReaderFamilies) {
        FamilyRows rows{SettingsHeading(language, family), {}};
        std::size_t count = 0;
        const SettingFacts* settings = SettingsOf(family, &count);
        for (std::size_t index = 0; index < count; ++index) {
            const SettingFacts& setting = settings[index];
            SettingRow row{setting.name, {}, SettingNote(language, family, index),
                           Trimmed(WindowText(language, static_cast<UiTextId>(setting.legendTextId)))};
            for (std::size_t k = 0; k < setting.valueCount; ++k) {
                ValueRow value{setting.values[k].name, ""};
                const std::string caption = Trimmed(CaptionOf(language, setting.values[k]));
                if (Folded(caption) != Folded(value.name)) value.gloss = caption;
                row.values.push_back(value);
            }
            rows.settings.push_back(row);
        }
        families.push_back(rows);
    }
    return families;
}
