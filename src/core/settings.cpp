// SPDX-License-Identifier: Apache-2.0
#include "core/settings.h"

#include <cstring>

#include "core/family.h"
#include "core/firmware_rules.h"
#include "core/setting_names.h"
#include "core/setting_table.h"

namespace {

constexpr char kCodeEnd = '\0';

// The window takes "Wiegand 58" and "7" away from firmware 1.00 or older (times 100); who
// offers them says the rule table.
constexpr int kMaxVersionWithoutExtras = 100;

// Firmware labels each family accepts, compared in this order.
constexpr int kSupportedLabelCount = 3;
constexpr const char* kKruKrmFirmware[kSupportedLabelCount] = {"1.00", "1.10", "2.00"};
constexpr const char* kUsbFirmware[kSupportedLabelCount] = {"1.00", "1.10", "2.00"};

// The payload byte at offset, or 0 when offset lies outside the length bytes given.
unsigned char At(const unsigned char* bytes, int length, int offset) {
    if (bytes == nullptr || offset < 0 || offset >= length) return 0;
    return bytes[offset];
}

// The value whose characters stand at the setting's place in the payload, 0 for none.
int DecodeSetting(const SettingFacts& setting, const unsigned char* payload, int length) {
    const int at = kFirmwareLabelLength + setting.offset;
    for (std::size_t k = 0; k < setting.valueCount; ++k) {
        const char* code = setting.values[k].code;
        bool same = true;
        for (int i = 0; code[i] != kCodeEnd; ++i)
            if (At(payload, length, at + i) != static_cast<unsigned char>(code[i])) same = false;
        if (same) return setting.values[k].value;
    }
    return 0;
}

bool ConditionHolds(const SettingFacts& setting, const int* values) {
    return !setting.meaningfulWhen.present || values[setting.meaningfulWhen.setting] == setting.meaningfulWhen.value;
}

// Each setting of the family decoded in turn; one that means nothing beside those before it
// stays NotRecognized.
template <typename S>
S DecodeFamily(int family, const unsigned char* payload, int length, void (*set)(S*, std::size_t, int)) {
    S decoded{};
    std::size_t count = 0;
    const SettingFacts* settings = SettingsOf(family, &count);
    int values[kMostSettings] = {};
    for (std::size_t i = 0; i < count && i < kMostSettings; ++i) {
        values[i] = ConditionHolds(settings[i], values) ? DecodeSetting(settings[i], payload, length) : 0;
        set(&decoded, i, values[i]);
    }
    return decoded;
}

// "AT+" and each setting's characters; a setting naming no choice is written as its unchosen
// value, and one that means nothing beside the others (as written) leaves its place to them.
template <typename S>
int EncodeFamily(int family, const S& s, char* command, int (*get)(const S&, std::size_t)) {
    std::memcpy(command, kCommandPrefix, kCommandPrefixLength);
    std::size_t count = 0;
    const SettingFacts* settings = SettingsOf(family, &count);
    int values[kMostSettings] = {};
    for (std::size_t i = 0; i < count && i < kMostSettings; ++i) {
        const ChoiceFacts* choice = ChoiceOf(settings[i], get(s, i));
        if (choice == nullptr) choice = ChoiceOf(settings[i], settings[i].unchosenValue);
        values[i] = choice->value;
        if (!ConditionHolds(settings[i], values)) continue;
        const std::size_t codeLength = std::strlen(choice->code);
        std::memcpy(command + kCommandPrefixLength + settings[i].offset, choice->code, codeLength);
    }
    return kCommandPrefixLength + SettingsLengthOf(family);
}

}  // namespace

const char* SettingsQueryOf(int family) { return family == kUsb ? kQueryUsb : kQueryKruKrm; }

int SettingsLengthOf(int family) { return family == kUsb ? kUsbSettingsLength : kKruKrmSettingsLength; }

int PayloadLengthOf(int family) { return kFirmwareLabelLength + SettingsLengthOf(family); }

KruKrmSettings DecodeKruKrmPayload(const unsigned char* payload, int length) {
    return DecodeFamily<KruKrmSettings>(kKruKrm, payload, length, SetKruKrmSettingValue);
}

UsbSettings DecodeUsbPayload(const unsigned char* payload, int length) {
    return DecodeFamily<UsbSettings>(kUsb, payload, length, SetUsbSettingValue);
}

ByteCount ByteCountForCode(char code) {
    const SettingFacts& bytes = *SettingOf(kUsb, kBytesIndex);
    for (std::size_t k = 0; k < bytes.valueCount; ++k)
        if (bytes.values[k].code[0] == code && bytes.values[k].code[1] == kCodeEnd)
            return static_cast<ByteCount>(bytes.values[k].value);
    return ByteCount::NotRecognized;
}

int EncodeKruKrmCommand(const KruKrmSettings& s, char* command) {
    return EncodeFamily(kKruKrm, s, command, KruKrmSettingValue);
}

int EncodeUsbCommand(const UsbSettings& s, char* command) {
    return EncodeFamily(kUsb, s, command, UsbSettingValue);
}

bool IsComplete(const KruKrmSettings& s) {
    return s.interface != Interface::NotRecognized && s.indication != Indication::NotRecognized &&
           s.standby != Standby::NotRecognized && s.touchPoll != TouchPoll::NotRecognized;
}

bool IsComplete(const UsbSettings& s) {
    const bool typeOk = s.format == OutputFormat::TouchMemory ||
                        (s.format == OutputFormat::HexOrDec && s.type != OutputType::NotRecognized);
    return s.mode != UsbMode::NotRecognized && typeOk && s.bytes != ByteCount::NotRecognized &&
           s.cards != CardsToRead::NotRecognized;
}

bool CheckFirmwareVersion(int family, const char* payload) {
    if (payload == nullptr) return false;
    const char* const* labels = nullptr;
    if (family == kKruKrm) labels = kKruKrmFirmware;
    else if (family == kUsb) labels = kUsbFirmware;
    else return false;
    for (int k = 0; k < kSupportedLabelCount; ++k)
        if (std::strncmp(payload, labels[k], kFirmwareLabelLength) == 0) return true;
    return false;
}

bool Wiegand58Allowed(int firmwareVersion, char modelLetter) {
    return FirmwareRuleAllows(*FirmwareRuleFor(kKruKrm, kInterfaceIndex), firmwareVersion, modelLetter, 0);
}

bool Bytes7Allowed(int firmwareVersion, char modelLetter, OutputFormat format) {
    return FirmwareRuleAllows(*FirmwareRuleFor(kUsb, kBytesIndex), firmwareVersion, modelLetter,
                              static_cast<int>(format));
}

Availability RuleAvailability(const FirmwareRule& rule, int firmwareVersion, char modelLetter) {
    if (firmwareVersion <= kMaxVersionWithoutExtras) return AvailabilityDisable;
    // Offered as beside a value of the condition's setting that sets no further condition.
    if (FirmwareRuleAllows(rule, firmwareVersion, modelLetter, 0)) return AvailabilityEnable;
    return AvailabilityKeep;
}

bool ConditionTakesAway(const FirmwareRule& rule, int firmwareVersion) {
    return rule.conditional && firmwareVersion <= rule.aboveFirmware;
}

Availability Wiegand58Availability(int firmwareVersion, char modelLetter) {
    return RuleAvailability(*FirmwareRuleFor(kKruKrm, kInterfaceIndex), firmwareVersion, modelLetter);
}

Availability Bytes7Availability(int firmwareVersion, char modelLetter) {
    return RuleAvailability(*FirmwareRuleFor(kUsb, kBytesIndex), firmwareVersion, modelLetter);
}

bool TouchMemoryDisablesBytes7(int firmwareVersion) {
    return ConditionTakesAway(*FirmwareRuleFor(kUsb, kBytesIndex), firmwareVersion);
}
