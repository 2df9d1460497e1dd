// SPDX-License-Identifier: Apache-2.0
#include "gui/hotplug.h"

#include <dbt.h>

#include <cstdio>

#include "gui/app.h"
#include "gui/message.h"
#include "gui/texts.h"
#include "gui/channel.h"
#include "gui/portlist.h"
#include "port/usb_locator.h"
#include "gui/session.h"
#include "gui/workflow.h"
#include "gui/controls.h"

namespace {

constexpr int kMessageSize = 160;

// Progress ticks and settle steps running now, nested in each other's message boxes.
int g_busyDepth = 0;
// A settle step fell due while something was under way and waits for it to end.
bool g_settleDeferred = false;

bool OperationUnderWay() { return g_busyDepth > 0 || ProgressShowing() || MessageBoxShowing(); }

struct PortListShape {
    LRESULT count;
    bool firstBlank;  // entry 0 is the empty text, or there is no entry at all
};

PortListShape ReadPortListShape() {
    HWND combo = g_controls.portCombo;
    PortListShape shape;
    shape.count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    // Only whether entry 0 is empty matters, so its length is enough: no text is copied.
    shape.firstBlank = SendMessageA(combo, CB_GETLBTEXTLEN, 0, 0) <= 0;
    return shape;
}

void ReportConnectionBroken() {
    if (g_readerFamily == kUsb) {
        Report(UiText[TextUsbDisconnected], IconError);
        return;
    }
    char text[kMessageSize];
    std::snprintf(text, sizeof text, "%s\n\r(%s %s)", UiText[TextConnectionBroken], g_session.portName,
                  UiText[TextDisabled]);
    Report(text, IconError);
}

// The port was open when the devices changed: reopen it quietly if it is still listed.
void RecheckOpenPort() {
    CloseChannel();
    Sleep(kReopenPauseMs);
    if (PortPresent(g_session.portName)) {
        if (OpenChannel(g_session.portName, kReaderBaudRate)) return;
        char text[kMessageSize];
        std::snprintf(text, sizeof text, "%s [%s]!", UiText[TextErrorOpening], g_session.portName);
        Report(text, IconError);
        ResetSession();
        return;
    }
    ReportConnectionBroken();
    SendMessageA(g_controls.portCombo, CB_DELETESTRING, static_cast<WPARAM>(g_session.portIndex), 0);
    SendMessageA(g_controls.portCombo, CB_SETCURSEL, 0, 0);
    ResetSession();
}

// No port open, serial-line tab: a search when a port appeared, nothing when one only went.
void RecheckKruKrmPorts() {
    const PortListShape before = ReadPortListShape();
    RefreshPortList();
    const PortListShape after = ReadPortListShape();
    if (after.count > before.count || (before.firstBlank && !after.firstBlank))
        StartProgress(ProgressSearch, kSearchIntervalMs);
}

void RecheckUsbReader() {
    RefreshPortList();
    if (LocateUsbReader(g_session.portName)) StartProgress(ProgressSearch, kSearchIntervalMs);
}

void RunSettleStep() {
    g_settleDeferred = false;  // this step also serves one that was held back
    ++g_busyDepth;
    if (g_session.portOpen) RecheckOpenPort();
    else if (g_readerFamily == kKruKrm) RecheckKruKrmPorts();
    else RecheckUsbReader();
    --g_busyDepth;
    RunDeferredSettleStep();
}

}  // namespace

void OnDeviceChange(WPARAM event) {
    if (event != DBT_DEVNODES_CHANGED || g_session.deviceChangePending) return;
    g_session.deviceChangePending = true;
    SetTimer(g_mainWindow, kSettleTimerId, kSettleDelayMs, nullptr);
}

void OnSettleTimer() {
    KillTimer(g_mainWindow, kSettleTimerId);
    g_session.deviceChangePending = false;
    if (OperationUnderWay()) {
        g_settleDeferred = true;
        return;
    }
    RunSettleStep();
}

void BeginProgressTick() { ++g_busyDepth; }

void EndProgressTick() {
    if (g_busyDepth > 0) --g_busyDepth;
    RunDeferredSettleStep();
}

void RunDeferredSettleStep() {
    if (!g_settleDeferred || OperationUnderWay()) return;
    g_settleDeferred = false;
    RunSettleStep();
}

void ResumeSettleStepAfterMessages() {
    if (!g_settleDeferred || OperationUnderWay()) return;
    // A pending notification's timer is already armed and its step serves this one too.
    if (g_session.deviceChangePending) return;
    SetTimer(g_mainWindow, kSettleTimerId, kResumeSettleDelayMs, nullptr);
}
