// SPDX-License-Identifier: Apache-2.0
#include "web/settings_face.h"

#include <cstdio>

#include "core/commands.h"
#include "core/family.h"
#include "core/firmware_rules.h"
#include "core/reader_settings.h"
#include "core/setting_table.h"
#include "core/setting_names.h"
#include "core/text_cp1251.h"
#include "core/ui_text.h"
#include "web/json.h"
#include "web/page_texts.h"
#include "core/status.h"
#include "web/reader_face.h"

namespace {

// A lamp whose group holds no recognised choice shows no colour of its own.
constexpr LampColor kNoChoiceLamp = kWhite;
constexpr unsigned kByteMask = 0xFF;
constexpr int kGreenShift = 8, kBlueShift = 16;

std::string CssColor(LampColor color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", color & kByteMask, (color >> kGreenShift) & kByteMask,
                  (color >> kBlueShift) & kByteMask);
    return text;
}

std::string WindowText(int language, int id) { return Cp1251ToUtf8(UiTextIn(language, static_cast<UiTextId>(id))); }

ReaderSettings Shown(const PageReader& reader, const std::vector<SettingChoice>& choices) {
    ReaderSettings shown = DecodeReaderSettings(reader.family, FactsOf(reader).chars);
    for (const SettingChoice& choice : choices) SetReaderSettingValue(&shown, choice.index, choice.value);
    return shown;
}

// Whether the reader may take a choice beside the other settings shown.
bool Allowed(const PageReader& reader, const ReaderSettings& shown, std::size_t index, int value) {
    if (!ReaderSettingMeaningful(shown, index)) return false;
    const FirmwareRule* rule = FirmwareRuleFor(reader.family, index);
    if (rule == nullptr || rule->value != value) return true;
    const int condition = rule->conditional ? ReaderSettingValue(shown, rule->conditionSetting) : 0;
    return FirmwareRuleAllows(*rule, reader.firmwareVersion, reader.model, condition);
}

std::string Lines(int family, const std::vector<SettingChoice>& choices) {
    std::size_t count = 0;
    const SettingFacts* names = SettingsOf(family, &count);
    std::string lines;
    for (const SettingChoice& choice : choices)
        if (choice.index < count)
            lines += std::string(names[choice.index].name) + "=" + SettingValueText(names[choice.index], choice.value) + "\n";
    return lines;
}

// One group: its legend, radios and lamp. value is the choice the group shows (0: none).
void Group(Json* json, int language, const SettingFacts& setting, int value, bool enabled, const PageReader& reader,
           const ReaderSettings* shown, std::size_t index) {
    LampColor lamp = kNoChoiceLamp;
    json->BeginObject().Field("setting", setting.name).Field("legend", WindowText(language, setting.legendTextId))
        .Field("enabled", enabled).Key("choices").BeginArray();
    for (std::size_t k = 0; k < setting.valueCount; ++k) {
        const ChoiceFacts& choice = setting.values[k];
        if (choice.value == value) lamp = choice.lamp;
        const bool allowed = shown == nullptr || Allowed(reader, *shown, index, choice.value);
        json->BeginObject().Field("value", choice.name).Field("caption", Cp1251ToUtf8(ChoiceCaption(choice, language)))
            .Field("checked", choice.value == value).Field("enabled", enabled && allowed).EndObject();
    }
    json->EndArray().Field("lamp", CssColor(lamp)).EndObject();
}

std::string Text(int language, PageText id) { return PageTextIn(language, id); }

// A refusal in the page's words, and vireo4's status word for it.
void Refusal(Json* json, int language, const ChangePlan& plan) {
    const char* word = StatusWord(Status::Usage);
    std::string detail;
    switch (plan.refusal) {
        case ChangeRefusal::None: break;
        case ChangeRefusal::Wiegand58NotAllowed:
            word = StatusWord(Status::RuleViolation);
            detail = Text(language, PageText::Wiegand58NotAllowed);
            break;
        case ChangeRefusal::Bytes7NotAllowed:
            word = StatusWord(Status::RuleViolation);
            detail = Text(language, PageText::Bytes7NotAllowed);
            break;
        case ChangeRefusal::Bytes7WithTouchMemory:
            word = StatusWord(Status::RuleViolation);
            detail = Text(language, PageText::Bytes7TouchMemory);
            break;
        case ChangeRefusal::SettingNotRecognized:
            word = StatusWord(Status::NotRecognized);
            detail = FillIn(Text(language, PageText::SettingNotRecognized), plan.setting);
            break;
        case ChangeRefusal::TypeBesideTouchMemory: detail = Text(language, PageText::TypeBesideTouchMemory); break;
        case ChangeRefusal::TypeNeeded: detail = Text(language, PageText::TypeNeeded); break;
        // What the page's own choices and a parsed profile cannot give, worded all the same.
        case ChangeRefusal::UnknownValue:
            detail = FillIn(Text(language, PageText::ProfileUnknownValue), plan.value, plan.setting);
            break;
        case ChangeRefusal::NotSettingCharacters:
        case ChangeRefusal::SettingOfOtherFamily:
        case ChangeRefusal::UnknownSetting:
            detail = FillIn(Text(language, PageText::NotThisReaders), plan.setting);
            break;
    }
    json->Field("status", plan.refusal == ChangeRefusal::None ? StatusWord(Status::Ok) : word).Field("detail", detail);
}

std::string PlanJson(const ChangePlan& plan, int language) {
    Json json;
    json.BeginObject();
    Refusal(&json, language, plan);
    json.BytesField("chars", plan.chars).BytesField("command", std::string(kCommandPrefix) + plan.chars);
    json.Key("changes").BeginArray();
    for (const SettingChange& change : plan.changes)
        json.BeginObject().Field("name", change.name).BytesField("before", change.before)
            .BytesField("after", change.after).EndObject();
    json.EndArray().EndObject();
    return json.str();
}

}  // namespace

ReaderFacts FactsOf(const PageReader& reader) {
    const std::string chars = reader.payload.size() > static_cast<std::size_t>(kFirmwareLabelLength)
                                  ? reader.payload.substr(kFirmwareLabelLength)
                                  : std::string();
    return ReaderFacts{reader.family, reader.model, reader.firmwareVersion, chars};
}

std::vector<SettingChoice> ParseChoices(int family, const std::string& lines) {
    std::vector<SettingChoice> choices;
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t end = lines.find('\n', start);
        if (end == std::string::npos) end = lines.size();
        const std::string line = lines.substr(start, end - start);
        start = end + 1;
        const std::size_t equals = line.find('=');
        SettingChoice choice{0, 0, 0};
        if (equals == std::string::npos ||
            LookUpSetting(family, line.substr(0, equals), line.substr(equals + 1), &choice) != ProfileProblem::None)
            continue;
        for (auto it = choices.begin(); it != choices.end(); ++it) {
            if (it->index == choice.index) {
                choices.erase(it);
                break;
            }
        }
        choices.push_back(choice);
    }
    return choices;
}

std::string ViewJson(const PageReader& reader, const std::string& choiceLines, int language) {
    std::size_t count = 0;
    const SettingFacts* settings = SettingsOf(reader.family, &count);
    const ReaderSettings held = DecodeReaderSettings(reader.family, FactsOf(reader).chars);
    const ReaderSettings shown = Shown(reader, ParseChoices(reader.family, choiceLines));
    Json json;
    json.BeginObject().Key("groups").BeginArray();
    for (std::size_t i = 0; i < count; ++i) {
        const int value = ReaderSettingMeaningful(shown, i) ? ReaderSettingValue(shown, i) : 0;
        Group(&json, language, settings[i], value, true, reader, &shown, i);
    }
    if (reader.family != kUsb) {
        // The window's card-for-read group stands on this page too, greyed, at its default.
        const SettingFacts& cards = *SettingOf(kUsb, kSharedCardsSetting);
        Group(&json, language, cards, cards.defaultValue, false, reader, nullptr, kSharedCardsSetting);
    }
    json.EndArray().Key("problems").BeginArray();
    for (std::size_t i = 0; i < count; ++i)
        if (ReaderSettingMeaningful(held, i) && ReaderSettingValue(held, i) == 0)
            json.Text(WindowText(language, settings[i].notRecognizedTextId));
    json.EndArray().EndObject();
    return json.str();
}

std::string ChooseJson(const PageReader& reader, const std::string& choiceLines, const std::string& setting,
                       const std::string& value) {
    const std::vector<SettingChoice> before = ParseChoices(reader.family, choiceLines);
    std::vector<SettingChoice> choices = ParseChoices(reader.family, choiceLines + setting + "=" + value + "\n");
    const ReaderSettings was = Shown(reader, before);
    const ReaderSettings shown = Shown(reader, choices);
    std::size_t count = 0;
    const SettingFacts* names = SettingsOf(reader.family, &count);
    std::vector<SettingChoice> kept;
    for (const SettingChoice& choice : choices)
        if (ReaderSettingMeaningful(shown, choice.index)) kept.push_back(choice);
    for (std::size_t i = 0; i < count; ++i) {
        const int now = ReaderSettingValue(shown, i);
        if (ReaderSettingMeaningful(shown, i) && !ReaderSettingMeaningful(was, i) && now == 0) {
            kept.push_back(SettingChoice{i, names[i].values[0].value, 0});
            continue;
        }
        if (now == 0 || Allowed(reader, shown, i, now) || !Allowed(reader, was, i, now)) continue;
        const int next = NextValue(names[i], now);
        if (next != 0) kept.push_back(SettingChoice{i, next, 0});
    }
    Json json;
    json.BeginObject().Field("choices", Lines(reader.family, ParseChoices(reader.family, Lines(reader.family, kept))))
        .EndObject();
    return json.str();
}

std::string TargetJson(const PageReader& reader, const std::string& choiceLines, int language) {
    return PlanJson(PlanChoices(FactsOf(reader), ParseChoices(reader.family, choiceLines)), language);
}

std::string ProfileTargetJson(const PageReader& reader, const Profile& profile, int language) {
    const int family = reader.family == kUsb ? kUsb : kKruKrm;
    const ProfileSection& section = profile.sections[family];
    if (section.present) return PlanJson(PlanChoices(FactsOf(reader), section.choices), language);
    Json json;
    json.BeginObject().Field("status", StatusWord(Status::Skipped))
        .Field("detail", FillIn(Text(language, PageText::ProfileNoSection), ProfileSectionName(family)))
        .Field("chars", "").Field("command", "").Key("changes").BeginArray().EndArray().EndObject();
    return json.str();
}
