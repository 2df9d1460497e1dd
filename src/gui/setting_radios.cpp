// SPDX-License-Identifier: Apache-2.0
#include "gui/setting_radios.h"

#include <cstddef>

#include "core/setting_names.h"
#include "core/setting_table.h"

namespace {

template <typename E>
int Radio(int family, std::size_t index, E value) {
    return RadioOfValue(*SettingOf(family, index), static_cast<int>(value));
}

// The value of a setting's first checked radio in page order (the order in which a write
// looks), 0 when none is checked.
int FirstChecked(const SettingFacts& setting, RadioCheckedFn isChecked) {
    for (std::size_t k = 0; k < setting.valueCount; ++k)
        if (isChecked(setting.values[k].radioId)) return setting.values[k].value;
    return 0;
}

template <typename S>
S FromRadios(int family, RadioCheckedFn isChecked, void (*set)(S*, std::size_t, int)) {
    S settings{};
    std::size_t count = 0;
    const SettingFacts* facts = SettingsOf(family, &count);
    for (std::size_t i = 0; i < count; ++i) set(&settings, i, FirstChecked(facts[i], isChecked));
    return settings;
}

}  // namespace

int RadioFor(Interface value) { return Radio(kKruKrm, kInterfaceIndex, value); }
int RadioFor(Indication value) { return Radio(kKruKrm, kIndicationIndex, value); }
int RadioFor(Standby value) { return Radio(kKruKrm, kStandbyIndex, value); }
int RadioFor(TouchPoll value) { return Radio(kKruKrm, kTouchPollIndex, value); }
int RadioFor(UsbMode value) { return Radio(kUsb, kModeIndex, value); }
int RadioFor(OutputFormat value) { return Radio(kUsb, kFormatIndex, value); }
int RadioFor(OutputType value) { return Radio(kUsb, kTypeIndex, value); }
int RadioFor(ByteCount value) { return Radio(kUsb, kBytesIndex, value); }
int RadioFor(CardsToRead value) { return Radio(kUsb, kCardsIndex, value); }

KruKrmSettings KruKrmFromRadios(RadioCheckedFn isChecked) {
    return FromRadios<KruKrmSettings>(kKruKrm, isChecked, SetKruKrmSettingValue);
}

UsbSettings UsbFromRadios(RadioCheckedFn isChecked) {
    return FromRadios<UsbSettings>(kUsb, isChecked, SetUsbSettingValue);
}
