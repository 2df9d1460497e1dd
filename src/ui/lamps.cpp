#include "ui/lamps.h"

#include "ui/control_ids.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
const LampRect kKruKrmLampRects[kLampCount] = {};
const LampRect kUsbLampRects[kLampCount] = {};
LampColor g_lampColors[kLampCount];

namespace {
struct RadioLamp {
    int radio;
    int lamp;  // 0-based
    LampColor color;
};
// The colour of every choice that has a lamp; the other USB groups keep their lamps white.
constexpr RadioLamp kRadioLamps[] = {
    {IdTouchMemory, 0, kRed},   {IdWiegand26, 0, kGreen}, {IdWiegand44, 0, kCyan},
    {IdWiegand58, 0, kMagenta}, {IdDirect, 1, kRed},      {IdInverse, 1, kBlue},
    {IdDynamic, 2, kRed},       {IdStatic, 2, kGreen},    {IdStandbyOff, 2, kMagenta},
    {IdPollOn, 3, kRed},        {IdPollOff, 3, kYellow},  {IdModeWindows, 0, kCyan},
    {IdModeAll, 0, kMagenta},
};
}  // namespace

bool LampForRadio(int radioId, int* lamp, LampColor* color) {
    for (const RadioLamp& entry : kRadioLamps) {
        if (entry.radio == radioId) {
            *lamp = entry.lamp;
            *color = entry.color;
            return true;
        }
    }
    return false;
}
