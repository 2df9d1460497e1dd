#include "cli/settings_by_name.h"

#include <cstring>

#include "cli/messages.h"
#include "core/family.h"
#include "core/setting_names.h"
#include "core/settings.h"

namespace {

constexpr const char kNoType[] = "none";
constexpr std::size_t kUsbTypeIndex = 2;

// Both families' settings side by side, so one code path serves both.
struct Decoded {
    int family;
    KruKrmSettings kruKrm;
    UsbSettings usb;
};

Decoded Decode(int family, const std::string& firmware, const std::string& chars) {
    std::string payload = firmware + chars;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(payload.data());
    int length = static_cast<int>(payload.size());
    Decoded decoded{family, KruKrmSettings{}, UsbSettings{}};
    if (family == kUsb) {
        decoded.usb = DecodeUsbPayload(bytes, length);
    } else {
        decoded.kruKrm = DecodeKruKrmPayload(bytes, length);
    }
    return decoded;
}

int ValueAt(const Decoded& d, std::size_t index) {
    return d.family == kUsb ? UsbSettingValue(d.usb, index) : KruKrmSettingValue(d.kruKrm, index);
}

void SetValueAt(Decoded* d, std::size_t index, int value) {
    if (d->family == kUsb) {
        SetUsbSettingValue(&d->usb, index, value);
    } else {
        SetKruKrmSettingValue(&d->kruKrm, index, value);
    }
}

bool TouchMemoryOutput(const Decoded& d) { return d.family == kUsb && d.usb.format == OutputFormat::TouchMemory; }

std::string ValueName(const Decoded& d, std::size_t index) {
    std::size_t count = 0;
    const SettingName* names = SettingNamesOf(d.family, &count);
    if (d.family == kUsb && index == kUsbTypeIndex && TouchMemoryOutput(d)) return kNoType;
    return SettingValueText(names[index], ValueAt(d, index));
}

std::string Encode(const Decoded& d) {
    char command[kUsbWriteLength + 1] = {};
    int length = d.family == kUsb ? EncodeUsbCommand(d.usb, command) : EncodeKruKrmCommand(d.kruKrm, command);
    return std::string(command + kCommandPrefixLength, command + length);
}

bool Complete(const Decoded& d) { return d.family == kUsb ? IsComplete(d.usb) : IsComplete(d.kruKrm); }

Target Refuse(Status status, const std::string& detail) {
    Target target;
    target.status = status;
    target.detail = detail;
    return target;
}

// The checks and the comparison both ways of building a target share.
Target Finish(int language, const Reader& reader, const Decoded& current, Decoded wanted, bool typeGiven) {
    std::size_t count = 0;
    const SettingName* names = SettingNamesOf(reader.family, &count);
    if (reader.family == kUsb) {
        if (wanted.usb.format == OutputFormat::TouchMemory) {
            if (typeGiven) return Refuse(Status::Usage, MessageText(language, Msg::UsageTypeWithTouchMemory));
            wanted.usb.type = OutputType::NotRecognized;
        } else if (wanted.usb.format == OutputFormat::HexOrDec && wanted.usb.type == OutputType::NotRecognized) {
            return Refuse(Status::Usage, MessageText(language, Msg::UsageTypeNeeded));
        }
    }
    if (!Complete(wanted)) {
        for (std::size_t index = 0; index < count; ++index) {
            bool meaningless = reader.family == kUsb && index == kUsbTypeIndex && TouchMemoryOutput(wanted);
            if (ValueAt(wanted, index) == 0 && !meaningless) {
                return Refuse(Status::NotRecognized, Format(MessageText(language, Msg::SettingNotRecognized), names[index].name));
            }
        }
    }
    // The firmware rules apply to a value being set, not to one the reader already holds.
    if (reader.family == kKruKrm) {
        bool toWiegand58 = wanted.kruKrm.interface == Interface::Wiegand58 &&
                           current.kruKrm.interface != Interface::Wiegand58;
        if (toWiegand58 && !Wiegand58Allowed(reader.firmwareVersion, reader.model)) {
            return Refuse(Status::RuleViolation, MessageText(language, Msg::Wiegand58NotAllowed));
        }
    } else {
        bool bytes7 = wanted.usb.bytes == ByteCount::Bytes7;
        bool touched = current.usb.bytes != ByteCount::Bytes7 || current.usb.format != wanted.usb.format;
        if (bytes7 && touched && !Bytes7Allowed(reader.firmwareVersion, reader.model, wanted.usb.format)) {
            bool onlyFormat = Bytes7Allowed(reader.firmwareVersion, reader.model, OutputFormat::HexOrDec);
            return Refuse(Status::RuleViolation,
                          MessageText(language, onlyFormat ? Msg::Bytes7TouchMemory : Msg::Bytes7NotAllowed));
        }
    }
    Target target;
    target.chars = Encode(wanted);
    for (std::size_t index = 0; index < count; ++index) {
        std::string before = ValueName(current, index);
        std::string after = ValueName(wanted, index);
        if (before != after) target.changes.push_back(Change{names[index].name, before, after});
    }
    // Characters the tool could not name are rewritten even when every name matches.
    if (target.changes.empty() && target.chars != reader.chars) {
        target.changes.push_back(Change{"raw", reader.chars, target.chars});
    }
    return target;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> NamedSettings(const Reader& reader) {
    std::vector<std::pair<std::string, std::string>> named;
    std::size_t count = 0;
    const SettingName* names = SettingNamesOf(reader.family, &count);
    Decoded decoded = Decode(reader.family, reader.firmware, reader.chars);
    for (std::size_t index = 0; index < count; ++index) named.emplace_back(names[index].name, ValueName(decoded, index));
    return named;
}

std::string SettingNamesList(int family) {
    std::size_t count = 0;
    const SettingName* names = SettingNamesOf(family, &count);
    std::string list;
    for (std::size_t index = 0; index < count; ++index) list += (index ? ", " : "") + std::string(names[index].name);
    return list;
}

std::string SettingValuesList(int family, const std::string& name) {
    const SettingName* setting = FindSettingName(family, name.c_str());
    if (setting == nullptr) return std::string();
    std::string list;
    for (std::size_t index = 0; index < setting->valueCount; ++index) {
        list += (index ? ", " : "") + std::string(setting->values[index].name);
    }
    if (family == kUsb && name == "type") list += std::string(", ") + kNoType;
    return list;
}

Target TargetOfChoices(int language, const Reader& reader, const std::vector<SettingChoice>& choices) {
    Decoded current = Decode(reader.family, reader.firmware, reader.chars);
    Decoded wanted = current;
    bool typeGiven = false;
    for (const SettingChoice& choice : choices) {
        SetValueAt(&wanted, choice.index, choice.value);
        if (reader.family == kUsb && choice.index == kUsbTypeIndex && choice.value != 0) typeGiven = true;
    }
    return Finish(language, reader, current, wanted, typeGiven);
}

Target TargetOfRaw(int language, const Reader& reader, const std::string& chars) {
    std::size_t expected = reader.family == kUsb ? kUsbSettingsLength : kKruKrmSettingsLength;
    Decoded wanted = Decode(reader.family, reader.firmware, chars);
    if (chars.size() != expected || !Complete(wanted) || Encode(wanted) != chars) {
        return Refuse(Status::Usage,
                      Format(MessageText(language, Msg::UsageRawLength), chars, std::to_string(expected)));
    }
    Decoded current = Decode(reader.family, reader.firmware, reader.chars);
    return Finish(language, reader, current, wanted, false);
}
