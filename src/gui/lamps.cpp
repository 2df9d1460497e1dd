// SPDX-License-Identifier: Apache-2.0
#include "gui/lamps.h"

// Every lamp is a 20 x 20 circle between x 345 and 365; lamp 5 sits at the same place
// on both pages because the card-for-read group is shared.
const LampRect kKruKrmLampRects[kLampCount] = {
    {345, 150, 365, 170}, {345, 250, 365, 270}, {345, 340, 365, 360}, {345, 430, 365, 450}, {345, 520, 365, 540},
};
const LampRect kUsbLampRects[kLampCount] = {
    {345, 130, 365, 150}, {345, 210, 365, 230}, {345, 290, 365, 310}, {345, 400, 365, 420}, {345, 520, 365, 540},
};

LampColor g_lampColors[kLampCount];

bool LampForRadio(int radioId, int* lamp, LampColor* color) {
    RadioPlace place{};
    if (!FindRadio(radioId, &place)) return false;
    const SettingFacts& setting = *SettingOf(place.family, place.setting);
    if (!setting.colorsLamp) return false;
    if (lamp) *lamp = setting.lamp;
    if (color) *color = place.choice->lamp;
    return true;
}

const LampRect* LampRectsForFamily(int family) {
    if (family == kKruKrm) return kKruKrmLampRects;
    if (family == kUsb) return kUsbLampRects;
    return nullptr;
}

void SetDefaultLampColors(int family) { DefaultLampColors(family, g_lampColors); }
