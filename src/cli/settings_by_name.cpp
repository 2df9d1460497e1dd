// SPDX-License-Identifier: Apache-2.0
#include "cli/settings_by_name.h"

#include "cli/messages.h"
#include "core/family.h"
#include "core/reader_settings.h"
#include "core/setting_names.h"

namespace {

ReaderFacts FactsOf(const Reader& reader) {
    return ReaderFacts{reader.family, reader.model, reader.firmwareVersion, reader.chars};
}

Status StatusOf(ChangeRefusal refusal) {
    switch (refusal) {
        case ChangeRefusal::None: return Status::Ok;
        case ChangeRefusal::SettingNotRecognized: return Status::NotRecognized;
        case ChangeRefusal::Wiegand58NotAllowed:
        case ChangeRefusal::Bytes7NotAllowed:
        case ChangeRefusal::Bytes7WithTouchMemory: return Status::RuleViolation;
        default: return Status::Usage;
    }
}

// Why a plan cannot be done, in the user's language.
std::string RefusalText(int language, const Reader& reader, const ChangePlan& plan, const std::string& raw) {
    switch (plan.refusal) {
        case ChangeRefusal::None: break;
        case ChangeRefusal::TypeBesideTouchMemory: return MessageText(language, Msg::UsageTypeWithTouchMemory);
        case ChangeRefusal::TypeNeeded: return MessageText(language, Msg::UsageTypeNeeded);
        case ChangeRefusal::NotSettingCharacters:
            return Format(MessageText(language, Msg::UsageRawLength), raw, std::to_string(SettingsLengthOf(reader.family)));
        case ChangeRefusal::SettingNotRecognized:
            return Format(MessageText(language, Msg::SettingNotRecognized), plan.setting);
        case ChangeRefusal::SettingOfOtherFamily:
            return Format(MessageText(language, Msg::UsageWrongFamilyName), plan.setting,
                          ProfileSectionName(reader.family == kUsb ? kKruKrm : kUsb));
        case ChangeRefusal::UnknownSetting: return Format(MessageText(language, Msg::UsageUnknownSetting), plan.setting);
        case ChangeRefusal::UnknownValue:
            return Format(MessageText(language, Msg::UsageUnknownValue), plan.value, plan.setting);
        case ChangeRefusal::Wiegand58NotAllowed: return MessageText(language, Msg::Wiegand58NotAllowed);
        case ChangeRefusal::Bytes7NotAllowed: return MessageText(language, Msg::Bytes7NotAllowed);
        case ChangeRefusal::Bytes7WithTouchMemory: return MessageText(language, Msg::Bytes7TouchMemory);
    }
    return std::string();
}

// The core's plan in the tool's words: a status and the reason in the user's language.
Target TargetOf(int language, const Reader& reader, const ChangePlan& plan, const std::string& raw) {
    Target target;
    target.status = StatusOf(plan.refusal);
    target.detail = RefusalText(language, reader, plan, raw);
    target.chars = plan.chars;
    target.changes = plan.changes;
    return target;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> NamedSettings(const Reader& reader) {
    std::vector<std::pair<std::string, std::string>> named;
    for (const NamedSetting& setting : NamedReaderSettings(DecodeReaderSettings(reader.family, reader.chars)))
        named.emplace_back(setting.name, setting.value);
    return named;
}

std::string SettingValuesList(int family, const std::string& name) {
    const SettingFacts* setting = FindSettingName(family, name.c_str());
    if (setting == nullptr) return std::string();
    std::string list;
    for (std::size_t index = 0; index < setting->valueCount; ++index) {
        list += (index ? ", " : "") + std::string(setting->values[index].name);
    }
    std::size_t count = 0;
    if (family == kUsb && setting == &SettingsOf(kUsb, &count)[kTypeIndex]) list += std::string(", ") + kNoTypeName;
    return list;
}

Target TargetOfChoices(int language, const Reader& reader, const std::vector<SettingChoice>& choices) {
    return TargetOf(language, reader, PlanChoices(FactsOf(reader), choices), std::string());
}

Target TargetOfAssignments(int language, const Reader& reader,
                           const std::vector<std::pair<std::string, std::string>>& assignments) {
    return TargetOf(language, reader, PlanAssignments(FactsOf(reader), assignments), std::string());
}

Target TargetOfRaw(int language, const Reader& reader, const std::string& chars) {
    return TargetOf(language, reader, PlanRawCharacters(FactsOf(reader), chars), chars);
}
