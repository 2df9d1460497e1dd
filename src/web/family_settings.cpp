#include "web/family_settings.h"

#include "core/commands.h"
#include "core/family.h"
#include "core/setting_names.h"

namespace {
constexpr std::size_t kUsbTypeIndex = 2;
}

FamilySettings DecodeFamilySettings(int family, const std::string& payload) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(payload.data());
    const int length = static_cast<int>(payload.size());
    FamilySettings settings{family, KruKrmSettings{}, UsbSettings{}};
    if (family == kUsb) settings.usb = DecodeUsbPayload(bytes, length);
    else settings.kruKrm = DecodeKruKrmPayload(bytes, length);
    return settings;
}

int SettingValueAt(const FamilySettings& s, std::size_t index) {
    return s.family == kUsb ? UsbSettingValue(s.usb, index) : KruKrmSettingValue(s.kruKrm, index);
}

void SetSettingValueAt(FamilySettings* s, std::size_t index, int value) {
    if (s->family == kUsb) SetUsbSettingValue(&s->usb, index, value);
    else SetKruKrmSettingValue(&s->kruKrm, index, value);
}

bool SettingMeaningful(const FamilySettings& s, std::size_t index) {
    return !(s.family == kUsb && index == kUsbTypeIndex && s.usb.format != OutputFormat::HexOrDec);
}

std::string EncodeFamilySettings(const FamilySettings& s) {
    char command[kUsbWriteLength + 1] = {};
    const int length = s.family == kUsb ? EncodeUsbCommand(s.usb, command) : EncodeKruKrmCommand(s.kruKrm, command);
    return std::string(command + kCommandPrefixLength, command + length);
}

bool FamilySettingsComplete(const FamilySettings& s) { return s.family == kUsb ? IsComplete(s.usb) : IsComplete(s.kruKrm); }

bool ChoiceAllowed(const FamilySettings& shown, int firmwareVersion, char model, std::size_t index, int value) {
    constexpr std::size_t kInterfaceIndex = 0, kBytesIndex = 3;
    if (shown.family == kKruKrm) {
        if (index == kInterfaceIndex && value == static_cast<int>(Interface::Wiegand58))
            return Wiegand58Allowed(firmwareVersion, model);
        return true;
    }
    if (index == kUsbTypeIndex) return shown.usb.format == OutputFormat::HexOrDec;
    if (index == kBytesIndex && value == static_cast<int>(ByteCount::Bytes7))
        return Bytes7Allowed(firmwareVersion, model, shown.usb.format);
    return true;
}
