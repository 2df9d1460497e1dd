#include <cctype>

#include "cli/docgen/docgen.h"
#include "cli/help.h"
#include "cli/messages.h"
#include "core/family.h"
#include "core/setting_looks.h"
#include "core/setting_names.h"

namespace {

constexpr int kFamilies[] = {kKruKrm, kUsb};

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

std::string CaptionOf(int language, const ChoiceLook& choice) {
    return choice.textId == kFixedCaption ? choice.caption : WindowText(language, static_cast<UiTextId>(choice.textId));
}

}  // namespace

std::vector<FamilyRows> SettingRows(int language) {
    std::vector<FamilyRows> families;
    for (int family : kFamilies) {
        FamilyRows rows{SettingsHeading(language, family), {}};
        std::size_t count = 0;
        std::size_t lookCount = 0;
        const SettingName* names = SettingNamesOf(family, &count);
        const SettingLook* looks = SettingLooksOf(family, &lookCount);
        for (std::size_t index = 0; index < count; ++index) {
            SettingRow row{names[index].name, {}, SettingNote(language, family, index), ""};
            const SettingLook* look = index < lookCount ? &looks[index] : nullptr;
            if (look != nullptr) row.group = Trimmed(WindowText(language, static_cast<UiTextId>(look->legendTextId)));
            for (std::size_t k = 0; k < names[index].valueCount; ++k) {
                ValueRow value{names[index].values[k].name, ""};
                if (look != nullptr && k < look->choiceCount) {
                    const std::string caption = Trimmed(CaptionOf(language, look->choices[k]));
                    if (Folded(caption) != Folded(value.name)) value.gloss = caption;
                }
                row.values.push_back(value);
            }
            rows.settings.push_back(row);
        }
        families.push_back(rows);
    }
    return families;
}
