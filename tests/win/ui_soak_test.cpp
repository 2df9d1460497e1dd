// SPDX-License-Identifier: Apache-2.0
// Resource soak: painting the lamps and switching the language again and again must
// leave the process's GDI and USER object counts where they were.
#include <doctest/doctest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "gui/app.h"
#include "gui/texts.h"
#include "gui/controls.h"
#include "gui/lamps.h"
#include "win/ui_window.h"

namespace {

constexpr int kRepaints = 500;
constexpr int kLanguageSwitches = 100;
// Handles carry their table index in the low 16 bits; both Windows and Wine accept the
// 16-bit form, which lets a process count its live objects when GetGuiResources cannot.
constexpr unsigned kFirstHandle = 0x20;
constexpr unsigned kLastHandle = 0xFFFF;

struct Counts {
    DWORD gdi, user;
    bool fromSystem;  // GetGuiResources answered; otherwise the handle tables were scanned
};

DWORD CountGdiObjects() {
    DWORD count = 0;
    for (unsigned h = kFirstHandle; h <= kLastHandle; ++h)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(h)))) ++count;
    return count;
}

DWORD CountUserObjects() {
    DWORD count = 0;
    // A USER handle's index sits above its lowest bit, so every other value is a new one.
    for (unsigned h = kFirstHandle; h <= kLastHandle; h += 2) {
        HANDLE handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(h));
        if (IsMenu(static_cast<HMENU>(handle))) ++count;
        else if (IsWindow(static_cast<HWND>(handle))) ++count;
    }
    return count;
}

Counts Measure() {
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (gdi && user) return {gdi, user, true};
    return {CountGdiObjects(), CountUserObjects(), false};
}

void Repaint() {
    // The main window's own paint is where the lamps' pens and brushes live; the controls
    // paint themselves with the system's objects.
    RedrawWindow(g_mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW);
}

}  // namespace

TEST_CASE("the counting sees a leak when there is one") {
    CreateTestMainWindow(kKruKrm, kEnglish);
    const Counts before = Measure();
    HPEN pens[10];
    for (HPEN& pen : pens) pen = CreatePen(PS_SOLID, 2, 0);
    HMENU menus[5];
    for (HMENU& menu : menus) menu = CreatePopupMenu();
    const Counts during = Measure();
    CHECK(during.gdi == before.gdi + 10);
    CHECK(during.user == before.user + 5);
    for (HPEN pen : pens) DeleteObject(pen);
    for (HMENU menu : menus) DestroyMenu(menu);
    const Counts after = Measure();
    CHECK(after.gdi == before.gdi);
    CHECK(after.user == before.user);
    DestroyTestMainWindow();
}

TEST_CASE("500 repaints and 100 language switches leave the GDI and USER counts") {
    CreateTestMainWindow(kKruKrm, kRussian);
    Repaint();
    PumpMessages();
    const Counts start = Measure();
    // Half the repaints on each page: each page erases the other's lamps.
    for (int i = 0; i < kRepaints; ++i) {
        if (i == kRepaints / 2) {
            g_readerFamily = kUsb;
            ApplyUsbDefaults();
        }
        Repaint();
    }
    PumpMessages();
    const Counts afterPaints = Measure();
    for (int i = 0; i < kLanguageSwitches; ++i) {
        SendMessageA(g_mainWindow, WM_COMMAND, i % 2 ? IdRussian : IdEnglish, 0);
        Repaint();
    }
    PumpMessages();
    const Counts end = Measure();
    const std::string how = start.fromSystem ? "GetGuiResources" : "handle tables";
    MESSAGE("(" << how << ") GDI " << start.gdi << " -> " << afterPaints.gdi << " -> " << end.gdi << ", USER "
                << start.user << " -> " << afterPaints.user << " -> " << end.user);
    CHECK(afterPaints.gdi == start.gdi);
    CHECK(afterPaints.user == start.user);
    CHECK(end.gdi == start.gdi);
    CHECK(end.user == start.user);
    CHECK(g_uiLanguage == kRussian);
    DestroyTestMainWindow();
}
