// SPDX-License-Identifier: Apache-2.0
#include "core/change_plan.h"

#include "core/family.h"
#include "core/reader_settings.h"
#include "core/setting_names.h"

namespace {

constexpr const char kRawChangeName[] = "raw";

ChangePlan Refuse(ChangeRefusal refusal, const std::string& setting = std::string(),
                  const std::string& value = std::string()) {
    ChangePlan plan;
    plan.refusal = refusal;
    plan.setting = setting;
    plan.value = value;
    return plan;
}

// A rule applies to a value being set, not to one the reader already holds beside the same
// condition.
ChangeRefusal RuleRefusal(const ReaderFacts& reader, const ReaderSettings& current, const ReaderSettings& wanted) {
    if (wanted.family == kKruKrm) {
        const bool toWiegand58 = wanted.kruKrm.interface == Interface::Wiegand58 &&
                                 current.kruKrm.interface != Interface::Wiegand58;
        if (toWiegand58 && !Wiegand58Allowed(reader.firmwareVersion, reader.modelLetter))
            return ChangeRefusal::Wiegand58NotAllowed;
        return ChangeRefusal::None;
    }
    const bool bytes7 = wanted.usb.bytes == ByteCount::Bytes7;
    const bool touched = current.usb.bytes != ByteCount::Bytes7 || current.usb.format != wanted.usb.format;
    if (!bytes7 || !touched || Bytes7Allowed(reader.firmwareVersion, reader.modelLetter, wanted.usb.format))
        return ChangeRefusal::None;
    return Bytes7Allowed(reader.firmwareVersion, reader.modelLetter, OutputFormat::HexOrDec)
               ? ChangeRefusal::Bytes7WithTouchMemory
               : ChangeRefusal::Bytes7NotAllowed;
}

// The checks and the comparison every way of giving the wanted settings shares.
ChangePlan Finish(const ReaderFacts& reader, const ReaderSettings& current, ReaderSettings wanted, bool typeGiven) {
    if (wanted.family == kUsb) {
        if (wanted.usb.format == OutputFormat::TouchMemory) {
            if (typeGiven) return Refuse(ChangeRefusal::TypeBesideTouchMemory);
            wanted.usb.type = OutputType::NotRecognized;
        } else if (wanted.usb.format == OutputFormat::HexOrDec && wanted.usb.type == OutputType::NotRecognized) {
            return Refuse(ChangeRefusal::TypeNeeded);
        }
    }
    if (!ReaderSettingsComplete(wanted)) {
        for (std::size_t index = 0; index < ReaderSettingCount(wanted); ++index) {
            if (ReaderSettingValue(wanted, index) == 0 && ReaderSettingMeaningful(wanted, index))
                return Refuse(ChangeRefusal::SettingNotRecognized, ReaderSettingName(wanted, index));
        }
    }
    const ChangeRefusal rule = RuleRefusal(reader, current, wanted);
    if (rule != ChangeRefusal::None) return Refuse(rule);

    ChangePlan plan;
    plan.chars = EncodeReaderSettings(wanted);
    for (std::size_t index = 0; index < ReaderSettingCount(wanted); ++index) {
        const std::string before = ReaderSettingValueName(current, index);
        const std::string after = ReaderSettingValueName(wanted, index);
        if (before != after) plan.changes.push_back(SettingChange{ReaderSettingName(wanted, index), before, after});
    }
    // Characters no name covers are rewritten even when every name matches.
    if (plan.changes.empty() && plan.chars != reader.chars)
        plan.changes.push_back(SettingChange{kRawChangeName, reader.chars, plan.chars});
    return plan;
}

int FamilyOf(const ReaderFacts& reader) { return reader.family == kUsb ? kUsb : kKruKrm; }

}  // namespace

ChangePlan PlanChoices(const ReaderFacts& reader, const std::vector<SettingChoice>& choices) {
    const ReaderSettings current = DecodeReaderSettings(reader.family, reader.chars);
    ReaderSettings wanted = current;
    bool typeGiven = false;
    for (const SettingChoice& choice : choices) {
        SetReaderSettingValue(&wanted, choice.index, choice.value);
        if (wanted.family == kUsb && choice.index == kTypeIndex && choice.value != 0) typeGiven = true;
    }
    return Finish(reader, current, wanted, typeGiven);
}

ChangePlan PlanAssignments(const ReaderFacts& reader,
                           const std::vector<std::pair<std::string, std::string>>& assignments) {
    const int family = FamilyOf(reader);
    const int otherFamily = family == kUsb ? kKruKrm : kUsb;
    std::vector<SettingChoice> choices;
    for (const auto& assignment : assignments) {
        SettingChoice choice{0, 0, 0};
        const ProfileProblem problem = LookUpSetting(family, assignment.first, assignment.second, &choice);
        if (problem == ProfileProblem::UnknownValue)
            return Refuse(ChangeRefusal::UnknownValue, assignment.first, assignment.second);
        if (problem != ProfileProblem::None) {
            SettingChoice other{0, 0, 0};
            const bool theirs =
                LookUpSetting(otherFamily, assignment.first, assignment.second, &other) != ProfileProblem::UnknownName;
            return Refuse(theirs ? ChangeRefusal::SettingOfOtherFamily : ChangeRefusal::UnknownSetting,
                          assignment.first);
        }
        choices.push_back(choice);
    }
    return PlanChoices(reader, choices);
}

ChangePlan PlanRawCharacters(const ReaderFacts& reader, const std::string& chars) {
    const ReaderSettings wanted = DecodeReaderSettings(reader.family, chars);
    if (chars.size() != static_cast<std::size_t>(SettingsLengthOf(reader.family)) ||
        !ReaderSettingsComplete(wanted) || EncodeReaderSettings(wanted) != chars) {
        return Refuse(ChangeRefusal::NotSettingCharacters);
    }
    return Finish(reader, DecodeReaderSettings(reader.family, reader.chars), wanted, false);
}
