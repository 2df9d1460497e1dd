// SPDX-License-Identifier: Apache-2.0
#include "web/profile_face.h"

#include "core/commands.h"
#include "core/family.h"
#include "core/profile.h"
#include "core/reader_model.h"
#include "core/reader_settings.h"
#include "core/setting_names.h"
#include "web/json.h"
#include "web/page_texts.h"

namespace {

constexpr const char kProfileSuffix[] = ".ini";
constexpr int kFamilyCount = 2;
constexpr const char kNotRecognized[] = "not-recognized";

std::string Problem(int language, const ProfileError& error) {
    auto text = [&](PageText id) { return std::string(PageTextIn(language, id)); };
    switch (error.problem) {
        case ProfileProblem::BadLine: return text(PageText::ProfileBadLine);
        case ProfileProblem::UnknownSection: return FillIn(text(PageText::ProfileUnknownSection), error.word);
        case ProfileProblem::DuplicateSection: return FillIn(text(PageText::ProfileDuplicateSection), error.word);
        case ProfileProblem::OutsideSection: return text(PageText::ProfileOutsideSection);
        case ProfileProblem::UnknownName:
            return FillIn(text(PageText::ProfileUnknownName), error.word, SettingNamesList(error.family));
        case ProfileProblem::UnknownValue: return FillIn(text(PageText::ProfileUnknownValue), error.word, error.name);
        case ProfileProblem::DuplicateName: return FillIn(text(PageText::ProfileDuplicateName), error.word);
        case ProfileProblem::TypeBesideTouchMemory: return text(PageText::TypeBesideTouchMemory);
        case ProfileProblem::None: break;
    }
    return std::string();
}

}  // namespace

std::string ProfileTextJson(const PageReader& reader, const std::string& label) {
    const std::string firmware = reader.payload.substr(0, kFirmwareLabelLength);
    std::string text = "# " + label + ": " + ModelFullName(ModelOfLetter(reader.model)) + ", " + firmware + "\n";
    text += std::string("[") + ProfileSectionName(reader.family) + "]\n";
    // A value that names no choice is left out: no profile could set it again.
    for (const NamedSetting& setting : NamedReaderSettings(DecodeReaderSettings(reader.family, FactsOf(reader).chars)))
        if (std::string(setting.value) != kNotRecognized) text += std::string(setting.name) + " = " + setting.value + "\n";
    Json json;
    json.BeginObject().Field("text", text)
        .Field("fileName", std::string(ProfileSectionName(reader.family)) + kProfileSuffix).EndObject();
    return json.str();
}

bool ParsePageProfile(const std::string& text, Profile* profile) {
    ProfileError error;
    return ParseProfile(text.data(), text.size(), profile, &error);
}

std::string ProfileCheckJson(const std::string& text, int language) {
    Json json;
    json.BeginObject();
    Profile profile;
    ProfileError error;
    if (!ParseProfile(text.data(), text.size(), &profile, &error)) {
        json.Field("ok", false)
            .Field("error", FillIn(PageTextIn(language, PageText::ProfileLine), std::to_string(error.line),
                                   Problem(language, error)))
            .EndObject();
        return json.str();
    }
    json.Field("ok", true).Key("sections").BeginObject();
    for (int family = 0; family < kFamilyCount; ++family)
        json.Field(ProfileSectionName(family), profile.sections[family].present);
    json.EndObject().EndObject();
    return json.str();
}
