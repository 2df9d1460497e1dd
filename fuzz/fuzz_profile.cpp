// SPDX-License-Identifier: Apache-2.0
// Profile files: whatever the bytes, the parser either names a line of the file and a problem,
// or yields choices that are all real settings of their section's family with real values,
// each setting once, no output type (other than none) beside Touch Memory output; and a parsed profile printed
// again the way `vireo4 read --profile` prints one parses to the same choices.
#include <string>

#include "core/family.h"
#include "core/profile.h"
#include "core/setting_names.h"
#include "fuzz_check.h"

namespace {

constexpr int kFamilies[] = {kKruKrm, kUsb};
constexpr const char kTypeName[] = "type";
constexpr const char kFormatName[] = "format";

int LineCount(const std::string& text) {
    int lines = 1;
    for (char c : text) lines += c == '\n';
    return lines;
}

std::string ValueNameOf(const SettingFacts& setting, int value) {
    return value == 0 ? "none" : SettingValueText(setting, value);
}

void CheckSection(int family, const ProfileSection& section, int lines) {
    std::size_t count = 0;
    const SettingFacts* names = SettingsOf(family, &count);
    bool seen[8] = {};
    bool touchMemory = false;
    bool type = false;
    for (const SettingChoice& choice : section.choices) {
        FUZZ_CHECK(section.present);
        FUZZ_CHECK(choice.index < count);
        FUZZ_CHECK(!seen[choice.index]);
        seen[choice.index] = true;
        FUZZ_CHECK(choice.line >= 1 && choice.line <= lines);
        const SettingFacts& setting = names[choice.index];
        bool noType = family == kUsb && std::string(setting.name) == kTypeName && choice.value == 0;
        FUZZ_CHECK(noType || FindSettingValue(setting, SettingValueText(setting, choice.value)) == choice.value);
        if (std::string(setting.name) == kFormatName && choice.value == static_cast<int>(OutputFormat::TouchMemory)) {
            touchMemory = true;
        }
        if (std::string(setting.name) == kTypeName && choice.value != 0) type = true;
    }
    FUZZ_CHECK(!(family == kUsb && touchMemory && type));
}

std::string Print(const Profile& profile) {
    std::string text;
    for (int family : kFamilies) {
        const ProfileSection& section = profile.sections[family];
        if (!section.present) continue;
        std::size_t count = 0;
        const SettingFacts* names = SettingsOf(family, &count);
        text += std::string("[") + ProfileSectionName(family) + "]\n";
        for (const SettingChoice& choice : section.choices) {
            text += std::string(names[choice.index].name) + " = " + ValueNameOf(names[choice.index], choice.value) + "\n";
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    Profile profile;
    ProfileError error;
    if (!ParseProfile(text.data(), text.size(), &profile, &error)) {
        FUZZ_CHECK(error.problem != ProfileProblem::None);
        FUZZ_CHECK(error.line >= 1 && error.line <= LineCount(text));
        return 0;
    }
    for (int family : kFamilies) CheckSection(family, profile.sections[family], LineCount(text));

    std::string printed = Print(profile);
    Profile again;
    FUZZ_CHECK(ParseProfile(printed.data(), printed.size(), &again, &error));
    for (int family : kFamilies) {
        const ProfileSection& first = profile.sections[family];
        const ProfileSection& second = again.sections[family];
        FUZZ_CHECK(first.present == second.present);
        FUZZ_CHECK(first.choices.size() == second.choices.size());
        for (std::size_t k = 0; k < first.choices.size(); ++k) {
            FUZZ_CHECK(first.choices[k].index == second.choices[k].index);
            FUZZ_CHECK(first.choices[k].value == second.choices[k].value);
        }
    }
    return 0;
}
