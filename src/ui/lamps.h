#pragma once
// The five indicator lamps in the "Indic." column: colours, geometry and painting.
#include <cstdint>

using LampColor = std::uint32_t;  // COLORREF layout 0x00BBGGRR

constexpr int kLampCount = 5;
constexpr LampColor kRed = 0x000000FF, kGreen = 0x0000FF00, kBlue = 0x00FF0000,
                    kCyan = 0x00FFFF00, kMagenta = 0x00FF00FF, kYellow = 0x0000FFFF,
                    kWhite = 0x00FFFFFF;

struct LampRect { int left, top, right, bottom; };

constexpr LampRect kLampColumnRect = {330, 60, 380, 580};
extern const LampRect kKruKrmLampRects[kLampCount];
extern const LampRect kUsbLampRects[kLampCount];

extern LampColor g_lampColors[kLampCount];

// The lamp (0-based) and colour a setting radio drives; false for radios without a lamp.
bool LampForRadio(int radioId, int* lamp, LampColor* color);

// Windows side (lamps_win.cpp).
void InvalidateLamps();
void EraseOtherPageLamps();
void PaintIndicatorLamps();
