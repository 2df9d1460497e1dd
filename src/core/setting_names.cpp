#include "core/setting_names.h"

#include <cstring>

#include "core/family.h"

namespace {

template <typename E>
constexpr int V(E e) { return static_cast<int>(e); }

constexpr SettingValueName kInterfaces[] = {
    {V(Interface::TouchMemory), "touch-memory"}, {V(Interface::Wiegand26), "wiegand-26"},
    {V(Interface::Wiegand44), "wiegand-44"},     {V(Interface::Wiegand58), "wiegand-58"},
};
constexpr SettingValueName kIndications[] = {{V(Indication::Direct), "direct"}, {V(Indication::Inverse), "inverse"}};
constexpr SettingValueName kStandbys[] = {
    {V(Standby::Dynamic), "dynamic"}, {V(Standby::Static), "static"}, {V(Standby::Off), "off"}};
constexpr SettingValueName kTouchPolls[] = {{V(TouchPoll::On), "on"}, {V(TouchPoll::Off), "off"}};

constexpr SettingValueName kModes[] = {{V(UsbMode::Windows), "windows"}, {V(UsbMode::All), "all"}};
constexpr SettingValueName kFormats[] = {
    {V(OutputFormat::HexOrDec), "hex-or-dec"}, {V(OutputFormat::TouchMemory), "touch-memory"}};
constexpr SettingValueName kTypes[] = {{V(OutputType::Hex), "hex"}, {V(OutputType::Dec), "dec"}};
constexpr SettingValueName kByteCounts[] = {
    {V(ByteCount::Bytes7), "7"}, {V(ByteCount::Bytes5), "5"}, {V(ByteCount::Bytes4), "4"},
    {V(ByteCount::Bytes3), "3"}, {V(ByteCount::Bytes2), "2"},
};
constexpr SettingValueName kCards[] = {
    {V(CardsToRead::All), "all"}, {V(CardsToRead::EmHid), "em-hid"}, {V(CardsToRead::Mifare), "mifare"}};

template <std::size_t N>
constexpr SettingName Named(const char* name, const SettingValueName (&values)[N]) {
    return SettingName{name, values, N};
}

// In the order the setting characters stand.
constexpr SettingName kKruKrmNames[] = {
    Named("interface", kInterfaces), Named("indication", kIndications), Named("standby", kStandbys),
    Named("touch-poll", kTouchPolls),
};
constexpr SettingName kUsbNames[] = {
    Named("mode", kModes), Named("format", kFormats), Named("type", kTypes), Named("bytes", kByteCounts),
    Named("cards", kCards),
};

}  // namespace

const SettingName* SettingNamesOf(int family, std::size_t* count) {
    if (family == kKruKrm) {
        *count = sizeof kKruKrmNames / sizeof kKruKrmNames[0];
        return kKruKrmNames;
    }
    if (family == kUsb) {
        *count = sizeof kUsbNames / sizeof kUsbNames[0];
        return kUsbNames;
    }
    *count = 0;
    return nullptr;
}

const SettingName* FindSettingName(int family, const char* name) {
    std::size_t count = 0;
    const SettingName* names = SettingNamesOf(family, &count);
    for (std::size_t i = 0; name != nullptr && i < count; ++i)
        if (std::strcmp(names[i].name, name) == 0) return &names[i];
    return nullptr;
}

int FindSettingValue(const SettingName& setting, const char* valueName) {
    for (std::size_t i = 0; valueName != nullptr && i < setting.valueCount; ++i)
        if (std::strcmp(setting.values[i].name, valueName) == 0) return setting.values[i].value;
    return -1;
}

const char* SettingValueText(const SettingName& setting, int value) {
    for (std::size_t i = 0; i < setting.valueCount; ++i)
        if (setting.values[i].value == value) return setting.values[i].name;
    return "not-recognized";
}

int KruKrmSettingValue(const KruKrmSettings& s, std::size_t index) {
    switch (index) {
        case kInterfaceIndex: return V(s.interface);
        case kIndicationIndex: return V(s.indication);
        case kStandbyIndex: return V(s.standby);
        case kTouchPollIndex: return V(s.touchPoll);
        default: return 0;
    }
}

void SetKruKrmSettingValue(KruKrmSettings* s, std::size_t index, int value) {
    switch (index) {
        case kInterfaceIndex: s->interface = static_cast<Interface>(value); break;
        case kIndicationIndex: s->indication = static_cast<Indication>(value); break;
        case kStandbyIndex: s->standby = static_cast<Standby>(value); break;
        case kTouchPollIndex: s->touchPoll = static_cast<TouchPoll>(value); break;
        default: break;
    }
}

int UsbSettingValue(const UsbSettings& s, std::size_t index) {
    switch (index) {
        case kModeIndex: return V(s.mode);
        case kFormatIndex: return V(s.format);
        case kTypeIndex: return s.format == OutputFormat::HexOrDec ? V(s.type) : 0;
        case kBytesIndex: return V(s.bytes);
        case kCardsIndex: return V(s.cards);
        default: return 0;
    }
}

void SetUsbSettingValue(UsbSettings* s, std::size_t index, int value) {
    switch (index) {
        case kModeIndex: s->mode = static_cast<UsbMode>(value); break;
        case kFormatIndex: s->format = static_cast<OutputFormat>(value); break;
        case kTypeIndex: s->type = static_cast<OutputType>(value); break;
        case kBytesIndex: s->bytes = static_cast<ByteCount>(value); break;
        case kCardsIndex: s->cards = static_cast<CardsToRead>(value); break;
        default: break;
    }
}

std::string SettingNamesList(int family) {
    std::size_t count = 0;
    const SettingName* names = SettingNamesOf(family, &count);
    std::string list;
    for (std::size_t index = 0; index < count; ++index) list += (index ? ", " : "") + std::string(names[index].name);
    return list;
}
