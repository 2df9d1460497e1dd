// SPDX-License-Identifier: Apache-2.0
#include <windows.h>

#include "gui/app.h"
#include "gui/texts.h"
#include "gui/lamps.h"

// The lamps are not windows: they are painted on the main window's client area inside
// the "Indic." column. The main window has no WS_CLIPCHILDREN, so the paint DC is not
// clipped by the group box drawn over the same place.

namespace {

constexpr int kLampPenWidth = 2;
constexpr COLORREF kLampOutline = 0;  // black

RECT ToRect(const LampRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void DrawLamp(HDC dc, const LampRect& r) { Ellipse(dc, r.left, r.top, r.right, r.bottom); }

}  // namespace

void InvalidateLamps() {
    const RECT column = ToRect(kLampColumnRect);
    InvalidateRect(g_mainWindow, &column, FALSE);
}

// First paint pass: the lamps of the page not shown are covered with button face, ring
// included. Its BeginPaint validates the whole update region, which is why WM_PAINT
// invalidates the lamp column again before the second pass.
void EraseOtherPageLamps() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(g_mainWindow, &ps);
    HPEN pen = CreatePen(PS_SOLID, kLampPenWidth, GetSysColor(COLOR_BTNFACE));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_BTNFACE));  // the system's: not freed
    const LampRect* hidden = g_readerFamily == kKruKrm ? kUsbLampRects
                           : g_readerFamily == kUsb    ? kKruKrmLampRects
                                                       : nullptr;
    if (hidden)
        for (int i = 0; i < kLampCount; ++i) DrawLamp(dc, hidden[i]);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    EndPaint(g_mainWindow, &ps);
}

// Second pass: the shown page's lamps in their colours with a black 2-pixel ring.
void PaintIndicatorLamps() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(g_mainWindow, &ps);
    HPEN pen = CreatePen(PS_SOLID, kLampPenWidth, kLampOutline);
    HBRUSH brushes[kLampCount];
    for (int i = 0; i < kLampCount; ++i) brushes[i] = CreateSolidBrush(g_lampColors[i]);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brushes[0]);
    const LampRect* shown = LampRectsForFamily(g_readerFamily);
    if (shown) {
        for (int i = 0; i < kLampCount; ++i) {
            SelectObject(dc, brushes[i]);
            DrawLamp(dc, shown[i]);
        }
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    for (HBRUSH brush : brushes) DeleteObject(brush);
    EndPaint(g_mainWindow, &ps);
}
