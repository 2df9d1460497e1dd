// SPDX-License-Identifier: Apache-2.0
#include "core/reader_settings.h"

#include <cstring>

#include "core/commands.h"
#include "core/family.h"
#include "core/setting_names.h"

namespace {

bool IsUsb(int family) { return family == kUsb; }

const SettingFacts* NamesOf(const ReaderSettings& settings, std::size_t* count) {
    return SettingsOf(IsUsb(settings.family) ? kUsb : kKruKrm, count);
}

}  // namespace

ReaderSettings DecodeReaderSettings(int family, const char* chars, std::size_t length) {
    // The decoders read a payload: the setting characters behind a firmware label, which
    // decoding never looks at.
    unsigned char payload[kUsbPayloadLength] = {};
    const std::size_t settingsLength = static_cast<std::size_t>(SettingsLengthOf(family));
    for (std::size_t i = 0; chars != nullptr && i < length && i < settingsLength; ++i)
        payload[kFirmwareLabelLength + i] = static_cast<unsigned char>(chars[i]);
    ReaderSettings settings{IsUsb(family) ? kUsb : kKruKrm, KruKrmSettings{}, UsbSettings{}};
    if (IsUsb(family)) {
        settings.usb = DecodeUsbPayload(payload, kUsbPayloadLength);
    } else {
        settings.kruKrm = DecodeKruKrmPayload(payload, kKruKrmPayloadLength);
    }
    return settings;
}

ReaderSettings DecodeReaderSettings(int family, const std::string& chars) {
    return DecodeReaderSettings(family, chars.data(), chars.size());
}

std::string EncodeReaderSettings(const ReaderSettings& settings) {
    char command[kUsbWriteLength] = {};
    const int length = IsUsb(settings.family) ? EncodeUsbCommand(settings.usb, command)
                                              : EncodeKruKrmCommand(settings.kruKrm, command);
    return std::string(command + kCommandPrefixLength, command + length);
}

bool ReaderSettingsComplete(const ReaderSettings& settings) {
    return IsUsb(settings.family) ? IsComplete(settings.usb) : IsComplete(settings.kruKrm);
}

std::size_t ReaderSettingCount(const ReaderSettings& settings) {
    std::size_t count = 0;
    NamesOf(settings, &count);
    return count;
}

const char* ReaderSettingName(const ReaderSettings& settings, std::size_t index) {
    std::size_t count = 0;
    const SettingFacts* names = NamesOf(settings, &count);
    return index < count ? names[index].name : nullptr;
}

int ReaderSettingIndex(const ReaderSettings& settings, const char* name) {
    std::size_t count = 0;
    const SettingFacts* names = NamesOf(settings, &count);
    for (std::size_t index = 0; name != nullptr && index < count; ++index)
        if (std::strcmp(names[index].name, name) == 0) return static_cast<int>(index);
    return -1;
}

int ReaderSettingValue(const ReaderSettings& settings, std::size_t index) {
    return IsUsb(settings.family) ? UsbSettingValue(settings.usb, index) : KruKrmSettingValue(settings.kruKrm, index);
}

void SetReaderSettingValue(ReaderSettings* settings, std::size_t index, int value) {
    if (IsUsb(settings->family)) {
        SetUsbSettingValue(&settings->usb, index, value);
    } else {
        SetKruKrmSettingValue(&settings->kruKrm, index, value);
    }
}

bool ReaderSettingMeaningful(const ReaderSettings& settings, std::size_t index) {
    std::size_t count = 0;
    const SettingFacts* names = NamesOf(settings, &count);
    if (index >= count || !names[index].meaningfulWhen.present) return true;
    // While the other setting names no choice, nothing says this one means nothing.
    const int other = ReaderSettingValue(settings, names[index].meaningfulWhen.setting);
    return other == 0 || other == names[index].meaningfulWhen.value;
}

const char* ReaderSettingValueName(const ReaderSettings& settings, std::size_t index) {
    std::size_t count = 0;
    const SettingFacts* names = NamesOf(settings, &count);
    if (index >= count) return nullptr;
    if (!ReaderSettingMeaningful(settings, index)) return kNoTypeName;
    return SettingValueText(names[index], ReaderSettingValue(settings, index));
}

const char* ReaderSettingValueName(const ReaderSettings& settings, const char* name) {
    const int index = ReaderSettingIndex(settings, name);
    return index < 0 ? nullptr : ReaderSettingValueName(settings, static_cast<std::size_t>(index));
}

std::vector<NamedSetting> NamedReaderSettings(const ReaderSettings& settings) {
    std::vector<NamedSetting> named;
    for (std::size_t index = 0; index < ReaderSettingCount(settings); ++index)
        named.push_back(NamedSetting{ReaderSettingName(settings, index), ReaderSettingValueName(settings, index)});
    return named;
}
