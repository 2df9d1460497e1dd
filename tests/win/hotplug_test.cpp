// SPDX-License-Identifier: Apache-2.0
// The hot-plug monitor with the real main window and its dispatcher under Wine, while no port
// is open: the settle timer, the list comparison, the USB reader check, and the settle step
// held back while a search, read or write is under way.
#include <doctest/doctest.h>

#include <windows.h>
#include <dbt.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/app.h"
#include "core/config.h"
#include "message_watch.h"
#include "registry_fixture.h"
#include "gui/portlist.h"
#include "gui/hotplug.h"
#include "gui/session.h"
#include "gui/workflow.h"
#include "gui/controls.h"
#include "win/ui_window.h"

namespace {

using Names = std::vector<std::string>;

HWND Popup() { return static_cast<HWND>(g_session.progressWindow); }

std::string Text(HWND window) {
    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Ends a progress the test started without letting its second half run.
void DropProgress() {
    for (UINT_PTR id = ProgressSearch; id <= ProgressWrite; ++id) KillTimer(g_mainWindow, id);
    if (Popup()) DestroyWindow(Popup());
    g_session.progressWindow = nullptr;
    g_session.tickCount = 0;
    EnableWindow(g_mainWindow, TRUE);
}

// The main window as start-up builds it, with the list as the registry has it now.
void OpenMainWindow(int family) {
    CreateTestMainWindow(family, kEnglish);
    RefreshPortList();
}

const FakeUsbDevice kReader = {L"VID_2E3C&PID_5750", L"HP1", L"USB\\VID_2E3C&PID_5750&REV_0200", L"COM7"};

}  // namespace

TEST_CASE("serial-line tab, no port open: a search only when a port appeared") {
    SerialCommFixture registry;
    registry.AddPort(L"\\Device\\Serial0", L"COM1");
    registry.AddPort(L"\\Device\\Serial1", L"COM2");
    OpenMainWindow(kKruKrm);
    REQUIRE(PortComboEntries() == Names{"COM1", "COM2"});

    // A port goes: the list follows, nothing starts.
    registry.Clear();
    registry.AddPort(L"\\Device\\Serial0", L"COM1");
    OnSettleTimer();
    CHECK(PortComboEntries() == Names{"COM1"});
    CHECK(Popup() == nullptr);

    // One port replaced by another: the same count, so only the list changes.
    registry.Clear();
    registry.AddPort(L"\\Device\\Serial5", L"COM6");
    OnSettleTimer();
    CHECK(PortComboEntries() == Names{"COM6"});
    CHECK(Popup() == nullptr);

    // The last port goes: the blank entry, still no search.
    registry.Clear();
    OnSettleTimer();
    CHECK(PortComboEntries() == Names{""});
    CHECK(Popup() == nullptr);

    // The blank list gets a port: a search.
    registry.AddPort(L"\\Device\\Serial2", L"COM3");
    OnSettleTimer();
    CHECK(PortComboEntries() == Names{"COM3"});
    REQUIRE(Popup() != nullptr);
    CHECK(Text(Popup()) == "Search for Vireo-4KRU_4KRM reader");
    DropProgress();

    // One more port than before: a search.
    registry.AddPort(L"\\Device\\Serial9", L"COM10");
    OnSettleTimer();
    CHECK(PortComboEntries() == Names{"COM3", "COM10"});
    CHECK(Popup() != nullptr);
    CHECK_FALSE(g_session.portOpen);
    DropProgress();
    DestroyTestMainWindow();
}

TEST_CASE("USB tab, no port open: a search only when the reader is present") {
    SerialCommFixture registry;
    OpenMainWindow(kUsb);
    registry.AddPort(L"\\Device\\Serial1", L"COM2");
    OnSettleTimer();
    CHECK(PortComboEntries() == Names{"COM2"});  // another device: the list is refreshed, no search
    CHECK(Popup() == nullptr);

    UsbDevicesFixture usb({kReader});
    OnSettleTimer();
    REQUIRE(Popup() != nullptr);
    CHECK(Text(Popup()) == "Search for Vireo-4-USB reader");
    CHECK(std::string(g_session.portName) == "COM7");
    DropProgress();
    DestroyTestMainWindow();
}

TEST_CASE("a settle step that falls due during a progress waits until the operation is over") {
    SerialCommFixture registry;
    registry.AddPort(L"\\Device\\Serial0", L"COM1");
    OpenMainWindow(kKruKrm);
    StartProgress(ProgressRead, 500);
    HWND running = Popup();
    REQUIRE(running != nullptr);

    // While the popup shows, a port appears and the settle timer fires: nothing happens yet,
    // so no second popup and no second use of the tick counter.
    registry.AddPort(L"\\Device\\Serial1", L"COM2");
    g_session.tickCount = 1;
    OnSettleTimer();
    CHECK(Popup() == running);
    CHECK(g_session.tickCount == 1);
    CHECK(PortComboEntries() == Names{"COM1"});

    // The last tick's second half runs (popup gone, a message box may be up): still waiting.
    BeginProgressTick();
    KillTimer(g_mainWindow, ProgressRead);
    DestroyWindow(running);
    g_session.progressWindow = nullptr;
    g_session.tickCount = 0;
    OnSettleTimer();  // a later notification's timer falls due in the box's loop
    CHECK(PortComboEntries() == Names{"COM1"});
    CHECK(Popup() == nullptr);

    // The operation is over: one settle step runs, sees the new port and starts the search.
    EndProgressTick();
    CHECK(PortComboEntries() == Names{"COM1", "COM2"});
    REQUIRE(Popup() != nullptr);
    CHECK(Text(Popup()) == "Search for Vireo-4KRU_4KRM reader");
    HWND search = Popup();

    // That search's own ticks run nothing more: the held-back step was used up.
    BeginProgressTick();
    EndProgressTick();
    CHECK(Popup() == search);
    DropProgress();
    DestroyTestMainWindow();
}

TEST_CASE("notifications: one settle timer per burst, other events ignored, a new one after the step") {
    SerialCommFixture registry;
    OpenMainWindow(kKruKrm);
    const DWORD start = GetTickCount();
    SendMessageA(g_mainWindow, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    CHECK(g_session.deviceChangePending);
    PumpUntil([] { return false; }, 1000);
    SendMessageA(g_mainWindow, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);  // absorbed: no new start
    REQUIRE(PumpUntil([] { return !g_session.deviceChangePending; }, 5000));
    const DWORD elapsed = GetTickCount() - start;
    CHECK(elapsed >= 1900);
    CHECK(elapsed < 2900);  // timed from the first notification, not the second
    CHECK(PortComboEntries() == Names{""});
    CHECK(Popup() == nullptr);

    SendMessageA(g_mainWindow, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    SendMessageA(g_mainWindow, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    CHECK_FALSE(g_session.deviceChangePending);

    // After the step, a notification arms a new timer, whose step starts a search for the
    // port that has appeared meanwhile.
    SendMessageA(g_mainWindow, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    CHECK(g_session.deviceChangePending);
    registry.AddPort(L"\\Device\\Serial2", L"COM3");
    REQUIRE(PumpUntil([] { return Popup() != nullptr; }, 5000));
    CHECK_FALSE(g_session.deviceChangePending);
    DropProgress();
    DestroyTestMainWindow();
}

TEST_CASE("a port gone: one report even when another settle step falls due in its box") {
    SerialCommFixture registry;
    registry.AddPort(L"\\Device\\Serial0", L"COM1");
    registry.AddPort(L"\\Device\\Serial1", L"COM2");
    OpenMainWindow(kKruKrm);
    SendMessageA(g_controls.portCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("COM9"));
    REQUIRE(PortComboEntries() == Names{"COM1", "COM2", "COM9"});
    g_session.portOpen = true;  // COM9 was open and its device has gone
    std::strcpy(g_session.portName, "COM9");
    g_session.portIndex = 2;
    EnableWindow(g_controls.portCombo, FALSE);

    MessageWatch boxes;
    // The next notification's timer falls due while the broken connection is being reported.
    PostMessageA(g_mainWindow, WM_TIMER, kSettleTimerId, 0);
    OnSettleTimer();
    PumpMessages();
    CHECK(boxes.Texts() == Names{"The connection is broken.\n\r(COM9 disabled!)"});
    CHECK_FALSE(g_session.portOpen);
    CHECK(PortComboEntries() == Names{"COM1", "COM2"});
    CHECK(IsWindowEnabled(g_controls.portCombo));
    CHECK(Text(g_controls.versionValue) == "x.xx");
    CHECK(Popup() == nullptr);  // the held-back step found nothing new
    DestroyTestMainWindow();
}

TEST_CASE("the open port still listed but not to be opened again: the session ends") {
    SerialCommFixture registry;
    registry.AddPort(L"\\Device\\Serial75", L"COM76");  // listed, but no such device
    OpenMainWindow(kUsb);
    g_session.portOpen = true;
    std::strcpy(g_session.portName, "COM76");
    g_session.firmwareVersion = 110;
    MessageWatch boxes;
    OnSettleTimer();
    PumpMessages();
    CHECK(boxes.Texts() == Names{"Error opening [COM76]!"});
    CHECK_FALSE(g_session.portOpen);
    CHECK(g_session.firmwareVersion == 0);
    CHECK(PortComboEntries() == Names{"COM76"});

    // The USB reader's port gone: the fixed text of that family.
    g_session.portOpen = true;
    std::strcpy(g_session.portName, "COM7");
    g_session.portIndex = 0;
    OnSettleTimer();
    PumpMessages();
    CHECK(boxes.Texts() == Names{"Error opening [COM76]!", "Connection broken.\n\r(Vireo-4-USB disabled!)"});
    CHECK_FALSE(g_session.portOpen);
    DestroyTestMainWindow();
}
