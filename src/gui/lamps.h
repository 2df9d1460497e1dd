// SPDX-License-Identifier: Apache-2.0
#pragma once
// The five indicator lamps in the "Indic." column: geometry and painting. The colours, and
// which choice gives which, are the setting table's.
#include "core/setting_table.h"

struct LampRect { int left, top, right, bottom; };

// The "Indic." group box covers exactly this column; invalidating it repaints the lamps.
constexpr LampRect kLampColumnRect = {330, 60, 380, 580};
extern const LampRect kKruKrmLampRects[kLampCount];
extern const LampRect kUsbLampRects[kLampCount];

// Lamp 1 (top) to lamp 5; zero until the first page defaults are applied.
extern LampColor g_lampColors[kLampCount];

// The lamp (0-based) and colour a setting radio drives; false for radios without a lamp
// (the USB groups other than the operating mode, and every id that is not a setting radio).
bool LampForRadio(int radioId, int* lamp, LampColor* color);

// The lamp places of a reader family's page (0 KRU/KRM, 1 USB); null for any other value.
const LampRect* LampRectsForFamily(int family);

// Gives g_lampColors the colours of a family's page defaults.
void SetDefaultLampColors(int family);

// Windows side (lamps_win.cpp).
void InvalidateLamps();
void EraseOtherPageLamps();
void PaintIndicatorLamps();
