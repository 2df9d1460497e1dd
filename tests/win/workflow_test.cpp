// SPDX-License-Identifier: Apache-2.0
// The progress popup, its timers and the session reset, with real windows under Wine.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/app.h"
#include "gui/texts.h"
#include "gui/texts.h"
#include "message_watch.h"
#include "registry_fixture.h"
#include "gui/session.h"
#include "gui/workflow.h"
#include "gui/controls.h"
#include "win/ui_window.h"

namespace {

using Names = std::vector<std::string>;

// The main window's timers reach the workflow as they do through the program's dispatcher.
LRESULT CALLBACK TestMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam >= ProgressSearch && wParam <= ProgressWrite)
        OnProgressTimer(static_cast<int>(wParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* TestMainClass() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TestMainProc;
        wc.lpszClassName = "workflow test main";
        registered = RegisterClassA(&wc) != 0;
    }
    return "workflow test main";
}

// A stand-in main window with the controls the workflow touches, in English.
struct MainFixture {
    MainControls savedControls = g_controls;
    HWND savedMain = g_mainWindow;
    int savedLanguage = g_uiLanguage;
    int savedFamily = g_readerFamily;
    HWND main;
    MainFixture() {
        g_uiLanguage = kEnglish;
        g_readerFamily = kKruKrm;
        FillUiText();
        InitSessionState();
        main = CreateWindowExA(0, TestMainClass(), "main", WS_OVERLAPPED, 0, 0, 395, 690, nullptr, nullptr, nullptr,
                               nullptr);
        g_mainWindow = main;
        g_controls.main = main;
        g_controls.portCombo = CreateWindowExA(0, "Combobox", "", WS_CHILD | CBS_DROPDOWNLIST, 10, 10, 150, 200,
                                               main, reinterpret_cast<HMENU>(IdPortCombo), nullptr, nullptr);
        g_controls.radio[IdWiegand58] = CreateWindowExA(0, "Button", "Wiegand 58", WS_CHILD | BS_AUTORADIOBUTTON, 30,
                                                        183, 120, 20, main, nullptr, nullptr, nullptr);
        g_controls.versionValue = CreateWindowExA(0, "Static", "1.10", WS_CHILD, 70, 39, 40, 20, main, nullptr,
                                                  nullptr, nullptr);
    }
    ~MainFixture() {
        for (UINT_PTR id = ProgressSearch; id <= ProgressWrite; ++id) KillTimer(main, id);
        if (g_session.progressWindow) DestroyWindow(static_cast<HWND>(g_session.progressWindow));
        DestroyWindow(main);
        InitSessionState();
        g_controls = savedControls;
        g_mainWindow = savedMain;
        g_uiLanguage = savedLanguage;
        g_readerFamily = savedFamily;
        FillUiText();
    }
    static std::string Text(HWND window) {
        char text[128] = {};
        GetWindowTextA(window, text, sizeof text);
        return text;
    }
};

HWND Popup() { return static_cast<HWND>(g_session.progressWindow); }

}  // namespace

TEST_CASE("the progress popup is a top-level bar over the screen's centre, owned by the main window") {
    MainFixture ui;
    StartProgress(ProgressSearch, kSearchIntervalMs);
    HWND popup = Popup();
    REQUIRE(popup != nullptr);
    char cls[32] = {};
    GetClassNameA(popup, cls, sizeof cls);
    CHECK(std::string(cls) == "msctls_progress32");
    const LONG style = GetWindowLongA(popup, GWL_STYLE);
    CHECK((style & WS_VISIBLE) != 0);
    CHECK((style & PBS_SMOOTH) != 0);
    CHECK((style & (WS_CHILD | WS_POPUP | WS_SYSMENU)) == 0);
    CHECK(GetWindow(popup, GW_OWNER) == ui.main);
    RECT r;
    GetWindowRect(popup, &r);
    CHECK(r.right - r.left == 291);
    CHECK(r.bottom - r.top == 50);
    CHECK(r.left == GetSystemMetrics(SM_CXSCREEN) / 2 - 148);
    CHECK(r.top == GetSystemMetrics(SM_CYSCREEN) / 2 - 25);
    CHECK(MainFixture::Text(popup) == "Search for Vireo-4KRU_4KRM reader");
    PBRANGE range;
    SendMessageA(popup, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    CHECK(range.iLow == 0);
    CHECK(range.iHigh == 100);
    CHECK(SendMessageA(popup, PBM_GETPOS, 0, 0) == 0);
    CHECK_FALSE(IsWindowEnabled(ui.main));
}

TEST_CASE("read and write popups count two ticks on the shared counter, captions by family") {
    MainFixture ui;
    g_readerFamily = kUsb;
    StartProgress(ProgressWrite, 500);
    CHECK(MainFixture::Text(Popup()) == "Writing Vireo-4-USB settings");
    PBRANGE range;
    SendMessageA(Popup(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    CHECK(range.iHigh == 2);
    OnProgressTimer(ProgressWrite);
    CHECK(g_session.tickCount == 1);
    CHECK(SendMessageA(Popup(), PBM_GETPOS, 0, 0) == 1);
    CHECK(ProgressShowing());
    KillTimer(ui.main, ProgressWrite);
    DestroyWindow(Popup());
    g_session.progressWindow = nullptr;
    g_session.tickCount = 0;

    g_readerFamily = kKruKrm;
    StartProgress(ProgressRead, 500);
    CHECK(MainFixture::Text(Popup()) == "Reading Vireo-4KRU_4KRM settings");
    HWND first = Popup();
    StartProgress(7, 500);  // not a progress kind: nothing happens
    CHECK(Popup() == first);
}

TEST_CASE("a search with no port listed ends in the empty entry and the no-ports message") {
    SerialCommFixture registry;
    MainFixture ui;
    MessageWatch boxes;
    StartProgress(ProgressSearch, kSearchIntervalMs);
    const DWORD start = GetTickCount();
    REQUIRE(PumpUntil([] { return !ProgressShowing(); }, 10000));
    const DWORD elapsed = GetTickCount() - start;
    CHECK(elapsed >= 900);  // 100 ticks of 10 ms; Wine's timers may be a little coarser
    REQUIRE(PumpUntil([&] { return IsWindowEnabled(ui.main) != FALSE; }, 5000));
    CHECK(boxes.Texts() == Names{"No COM ports found in the system!"});
    CHECK(PortComboEntries() == Names{""});
    CHECK(g_session.tickCount == 0);
    CHECK(IsWindowEnabled(g_controls.portCombo));
    CHECK_FALSE(g_session.portOpen);
}

TEST_CASE("the session reset closes nothing it does not hold, refreshes the list and forgets the reader") {
    SerialCommFixture registry;
    registry.AddPort(L"\\Device\\Serial2", L"COM3");
    MainFixture ui;
    EnableWindow(g_controls.portCombo, FALSE);
    EnableWindow(g_controls.radio[IdWiegand58], TRUE);
    std::strcpy(g_session.portName, "COM3");
    g_session.portIndex = 4;
    g_session.replyExpected = true;
    g_session.quietProbe = true;
    g_session.modelLetter = 'M';
    g_session.firmwareVersion = 110;
    g_session.firmwareSupported = true;
    std::strcpy(g_session.cachedSettings, "TMX1DO");
    ResetSession();
    CHECK(IsWindowEnabled(g_controls.portCombo));
    CHECK(PortComboEntries() == Names{"COM3"});
    CHECK_FALSE(g_session.replyExpected);
    CHECK_FALSE(g_session.quietProbe);
    CHECK(g_session.modelLetter == 'X');
    CHECK(g_session.firmwareVersion == 0);
    CHECK_FALSE(g_session.firmwareSupported);
    CHECK(std::string(g_session.cachedSettings).empty());
    CHECK_FALSE(IsWindowEnabled(g_controls.radio[IdWiegand58]));
    CHECK(MainFixture::Text(g_controls.versionValue) == "x.xx");
    CHECK(std::string(g_session.portName) == "COM3");  // the port's name and index stay
    CHECK(g_session.portIndex == 4);
}

TEST_CASE("choosing a port: the empty entry reports no ports, a port that will not open is reported") {
    SerialCommFixture registry;
    registry.AddPort(L"\\Device\\Serial76", L"COM77");
    MainFixture ui;
    MessageWatch boxes;
    SendMessageA(g_controls.portCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
    SendMessageA(g_controls.portCombo, CB_SETCURSEL, 0, 0);
    OnPortComboCommand(CBN_DROPDOWN);  // other notifications are ignored
    OnPortComboCommand(CBN_SELCHANGE);
    CHECK_FALSE(g_session.replyExpected);

    SendMessageA(g_controls.portCombo, CB_RESETCONTENT, 0, 0);
    SendMessageA(g_controls.portCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("COM77"));
    SendMessageA(g_controls.portCombo, CB_SETCURSEL, 0, 0);
    OnPortComboCommand(CBN_SELCHANGE);  // no such device in the prefix
    REQUIRE(PumpUntil([&] { return boxes.Texts().size() == 2; }, 5000));
    CHECK(boxes.Texts() == Names{"No COM ports found in the system!", "Error opening [COM77]!"});
    CHECK(std::string(g_session.portName) == "COM77");
    CHECK(g_session.replyExpected);  // set after the attempt, whatever its outcome
    CHECK_FALSE(g_session.portOpen);
    CHECK(IsWindowEnabled(g_controls.portCombo));
    CHECK(PortComboEntries() == Names{"COM77"});  // refreshed from the registry
}
