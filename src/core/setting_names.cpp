// SPDX-License-Identifier: Apache-2.0
#include "core/setting_names.h"

#include <cstring>

namespace {

template <typename E>
constexpr int V(E e) { return static_cast<int>(e); }

}  // namespace

const SettingFacts* FindSettingName(int family, const char* name) {
    std::size_t count = 0;
    const SettingFacts* names = SettingsOf(family, &count);
    for (std::size_t i = 0; name != nullptr && i < count; ++i)
        if (std::strcmp(names[i].name, name) == 0) return &names[i];
    return nullptr;
}

int FindSettingValue(const SettingFacts& setting, const char* valueName) {
    for (std::size_t i = 0; valueName != nullptr && i < setting.valueCount; ++i)
        if (std::strcmp(setting.values[i].name, valueName) == 0) return setting.values[i].value;
    return -1;
}

const char* SettingValueText(const SettingFacts& setting, int value) {
    const ChoiceFacts* choice = ChoiceOf(setting, value);
    return choice ? choice->name : "not-recognized";
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
    const SettingFacts* names = SettingsOf(family, &count);
    std::string list;
    for (std::size_t index = 0; index < count; ++index) list += (index ? ", " : "") + std::string(names[index].name);
    return list;
}
