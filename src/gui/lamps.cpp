#include "gui/lamps.h"

#include "gui/texts.h"
#include "gui/control_ids.h"

// Every lamp is a 20 x 20 circle between x 345 and 365; lamp 5 sits at the same place
// on both pages because the card-for-read group is shared.
const LampRect kKruKrmLampRects[kLampCount] = {
    {345, 150, 365, 170}, {345, 250, 365, 270}, {345, 340, 365, 360}, {345, 430, 365, 450}, {345, 520, 365, 540},
};
const LampRect kUsbLampRects[kLampCount] = {
    {345, 130, 365, 150}, {345, 210, 365, 230}, {345, 290, 365, 310}, {345, 400, 365, 420}, {345, 520, 365, 540},
};

LampColor g_lampColors[kLampCount];

// "Touch Memory", "Direct (active '1')", "Off", "Off", and white for the card-for-read lamp.
const LampColor kKruKrmDefaultColors[kLampCount] = {kRed, kRed, kMagenta, kYellow, kWhite};
// "WINDOWS"; the other USB groups have no colour of their own.
const LampColor kUsbDefaultColors[kLampCount] = {kCyan, kWhite, kWhite, kWhite, kWhite};

namespace {

struct RadioLamp {
    int radioId;
    int lamp;  // 0-based
    LampColor color;
};

// One row per radio that owns a lamp colour.
const RadioLamp kRadioLamps[] = {
    {IdTouchMemory, 0, kRed},  {IdWiegand26, 0, kGreen}, {IdWiegand44, 0, kCyan}, {IdWiegand58, 0, kMagenta},
    {IdDirect, 1, kRed},       {IdInverse, 1, kBlue},
    {IdDynamic, 2, kRed},      {IdStatic, 2, kGreen},    {IdStandbyOff, 2, kMagenta},
    {IdPollOn, 3, kRed},       {IdPollOff, 3, kYellow},
    {IdModeWindows, 0, kCyan}, {IdModeAll, 0, kMagenta},
};

}  // namespace

bool LampForRadio(int radioId, int* lamp, LampColor* color) {
    for (const RadioLamp& row : kRadioLamps) {
        if (row.radioId != radioId) continue;
        if (lamp) *lamp = row.lamp;
        if (color) *color = row.color;
        return true;
    }
    return false;
}

const LampRect* LampRectsForFamily(int family) {
    if (family == kKruKrm) return kKruKrmLampRects;
    if (family == kUsb) return kUsbLampRects;
    return nullptr;
}

void SetLampColors(const LampColor colors[kLampCount]) {
    for (int i = 0; i < kLampCount; ++i) g_lampColors[i] = colors[i];
}
