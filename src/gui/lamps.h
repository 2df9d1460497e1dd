#pragma once
// The five indicator lamps in the "Indic." column: colours, geometry and painting.
// The colours themselves, and which choice gives which, are core's (setting_looks.h).
#include "core/setting_looks.h"

struct LampRect { int left, top, right, bottom; };

// The "Indic." group box covers exactly this column; invalidating it repaints the lamps.
constexpr LampRect kLampColumnRect = {330, 60, 380, 580};
extern const LampRect kKruKrmLampRects[kLampCount];
extern const LampRect kUsbLampRects[kLampCount];

// Lamp 1 (top) to lamp 5; zero until the first page defaults are applied.
extern LampColor g_lampColors[kLampCount];

// The colours each page's defaults give the lamps.
extern const LampColor kKruKrmDefaultColors[kLampCount];
extern const LampColor kUsbDefaultColors[kLampCount];

// The lamp (0-based) and colour a setting radio drives; false for radios without a lamp
// (the USB groups other than the operating mode, and every id that is not a setting radio).
bool LampForRadio(int radioId, int* lamp, LampColor* color);

// The lamp places of a reader family's page (0 KRU/KRM, 1 USB); null for any other value.
const LampRect* LampRectsForFamily(int family);

// Copies a page's default colours into g_lampColors.
void SetLampColors(const LampColor colors[kLampCount]);

// Windows side (lamps_win.cpp).
void InvalidateLamps();
void EraseOtherPageLamps();
void PaintIndicatorLamps();
