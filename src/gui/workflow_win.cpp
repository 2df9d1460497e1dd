// SPDX-License-Identifier: Apache-2.0
// The reader session's long operations. None runs on a thread: each shows the progress popup,
// disables the main window and arms a window timer; when the timer has ticked its count, the
// second half (probe the ports, or read and judge the reply) runs on the GUI thread.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "gui/app.h"
#include "gui/message.h"
#include "gui/texts.h"
#include "gui/codec.h"
#include "core/commands.h"
#include "core/reader_model.h"
#include "core/settings.h"
#include "gui/reply.h"
#include "gui/channel.h"
#include "gui/portlist.h"
#include "port/usb_locator.h"
#include "gui/session.h"
#include "gui/workflow.h"
#include "gui/controls.h"

namespace {

constexpr const char kProgressClass[] = "msctls_progress32";
constexpr int kProgressWidth = 291;
constexpr int kProgressHeight = 50;
constexpr int kProgressHalfWidth = 148;  // the popup's x is screen width / 2 - 148
constexpr int kProgressHalfHeight = 25;
constexpr int kSearchTicks = 100;
constexpr int kReplyTicks = 2;
constexpr int kReplyIntervalMs = 500;
constexpr DWORD kProbeSettleMs = 140;   // the reader needs a moment before its reply is read
constexpr int kMessageSize = 256;
constexpr int kWriteCommandSize = 16;
constexpr const char kNoFirmware[] = "x.xx";

int TicksOf(int kind) { return kind == ProgressSearch ? kSearchTicks : kReplyTicks; }

UiTextId CaptionOf(int kind) {
    const bool usb = g_readerFamily == kUsb;
    switch (kind) {
    case ProgressSearch: return usb ? TextSearchingUsb : TextSearchingKruKrm;
    case ProgressRead: return usb ? TextReadingUsb : TextReadingKruKrm;
    default: return usb ? TextWritingUsb : TextWritingKruKrm;
    }
}

// The progress bar's class lives in comctl32; registered once, before the first popup.
void RegisterProgressClass() {
    static bool registered = false;
    if (registered) return;
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_PROGRESS_CLASS};
    registered = InitCommonControlsEx(&init) != FALSE;
}

HWND PortCombo() { return g_controls.portCombo; }

// The main window is enabled when an operation's second half is over, unless that second half
// started the next operation (the USB search opens the port and starts a read): the window
// then stays disabled until that read has completed too.
void EnableMainUnlessBusy() {
    if (!ProgressShowing()) EnableWindow(g_mainWindow, TRUE);
}

void ReportFormatted(const char* format, const char* text, const char* port, MessageIcon icon) {
    char message[kMessageSize];
    std::snprintf(message, sizeof message, format, text, port);
    Report(message, icon);
}

void ReportFound(UiTextId text) { ReportFormatted("%s\n\r->[%s]", UiText[text], g_session.portName, IconSuccess); }

void ReportOpenError(const char* port) { ReportFormatted("%s [%s]!", UiText[TextErrorOpening], port, IconError); }

void ShowNoPortsEntry(HWND combo) {
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

// Opens portName at the reader's baud rate. A failed open never leaves a handle behind, so the
// port is never held by a session that is not open.
bool OpenPort() {
    if (OpenChannel(g_session.portName, kReaderBaudRate)) return true;
    CloseChannel();
    return false;
}

// The serial-line search: each listed port in turn is opened and sent the settings query
// until one answers with settings of a supported firmware.
void ProbeSerialPorts(HWND combo) {
    EnableWindow(g_mainWindow, FALSE);
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    bool found = false;
    // Each failed probe's reset refreshes the list; the walk goes on over the refreshed list
    // with the count read here.
    for (int i = 0; i < count && i < kMaxListedPorts && !found; ++i) {
        if (!ReadComboEntry(combo, i, g_session.portName, kPortNameSize)) continue;
        g_session.portIndex = i;
        if (!OpenPort()) continue;
        g_session.portOpen = true;
        EnableWindow(combo, FALSE);
        g_session.quietProbe = true;
        if (WriteBytes(kQueryKruKrm, kQueryLength)) {
            Sleep(kProbeSettleMs);
            if (ReadReply() == SettingsReply && g_session.firmwareSupported) found = true;
        }
        if (found) {
            g_session.replyExpected = true;
            g_session.quietProbe = false;
        } else {
            ResetSession();
        }
    }
    if (!found) {
        EnableWindow(combo, TRUE);
        Report(UiText[TextNotFoundKruKrm], IconError);
        Report(UiText[TextCheckPortHint], IconQuestion);
        EnableMainUnlessBusy();
        return;
    }
    // A reader that names another model than these still gets the family's found text.
    switch (ModelOfLetter(g_session.modelLetter)) {
    case ReaderModel::Kru: ReportFound(TextFoundKru); break;
    case ReaderModel::Krm: ReportFound(TextFoundKrm); break;
    default: ReportFound(TextFoundKruKrm); break;
    }
    SelectPortByName(combo, g_session.portName, &g_session.portIndex);
    EnableMainUnlessBusy();
}

// The USB search: the reader is found by its USB identity, then its port is opened and read.
void SearchUsbReader() {
    if (!LocateUsbReader(g_session.portName)) {
        Report(UiText[TextNotFoundUsb], IconError);
        Report(UiText[TextCheckPortHint], IconQuestion);
        return;
    }
    ReportFound(TextFoundUsb);
    SelectPortByName(PortCombo(), g_session.portName, &g_session.portIndex);
    if (!g_session.portOpen) OpenSelectedPort();
}

}  // namespace

bool ProgressShowing() { return g_session.progressWindow != nullptr; }

void StartProgress(int kind, int intervalMs) {
    if (kind < ProgressSearch || kind > ProgressWrite) return;
    RegisterProgressClass();
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - kProgressHalfWidth;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - kProgressHalfHeight;
    // Neither WS_CHILD nor WS_POPUP: a top-level window with a caption and no close button,
    // owned by the main window, whose client area is the bar.
    HWND popup = CreateWindowExA(0, kProgressClass, UiText[CaptionOf(kind)], WS_VISIBLE | PBS_SMOOTH, x, y,
                                 kProgressWidth, kProgressHeight, g_mainWindow, nullptr, nullptr, nullptr);
    g_session.progressWindow = popup;
    SendMessageA(popup, PBM_SETRANGE, 0, MAKELPARAM(0, TicksOf(kind)));
    SendMessageA(popup, PBM_SETSTEP, 1, 0);
    SendMessageA(popup, PBM_SETPOS, 0, 0);
    EnableWindow(g_mainWindow, FALSE);
    SetTimer(g_mainWindow, static_cast<UINT_PTR>(kind), static_cast<UINT>(intervalMs), nullptr);
}

void OnProgressTimer(int timerId) {
    if (timerId < ProgressSearch || timerId > ProgressWrite) return;
    SendMessageA(static_cast<HWND>(g_session.progressWindow), PBM_STEPIT, 0, 0);
    if (++g_session.tickCount < TicksOf(timerId)) return;
    g_session.tickCount = 0;
    KillTimer(g_mainWindow, static_cast<UINT_PTR>(timerId));
    if (g_session.progressWindow) DestroyWindow(static_cast<HWND>(g_session.progressWindow));
    g_session.progressWindow = nullptr;
    if (timerId == ProgressSearch) RunSearch();
    else ReadReply();
    EnableMainUnlessBusy();
}

void RunSearch() {
    HWND combo = PortCombo();
    // The combobox is disabled exactly while a port is open.
    EnableWindow(combo, g_session.portOpen ? FALSE : TRUE);
    if (!FillPortList(combo)) {
        ShowNoPortsEntry(combo);
        Report(UiText[TextNoPorts], IconWarning);
        return;
    }
    SortPortList(combo);
    if (g_readerFamily == kKruKrm) ProbeSerialPorts(combo);
    else if (g_readerFamily == kUsb) SearchUsbReader();
}

void OpenSelectedPort() {
    if (!OpenPort()) {
        ReportOpenError(g_session.portName);
        RefreshPortList();
        return;
    }
    g_session.portOpen = true;
    EnableWindow(PortCombo(), FALSE);
    SendSettingsQuery();
}

void SendSettingsQuery() {
    if (WriteBytes(SettingsQueryOf(g_readerFamily), kQueryLength)) StartProgress(ProgressRead, kReplyIntervalMs);
    else ResetSession();
}

void SendWriteCommand(const char* command, int length) {
    if (WriteBytes(command, length)) StartProgress(ProgressWrite, kReplyIntervalMs);
    else ResetSession();
}

void ResetSession() {
    if (g_session.portOpen) {
        g_session.portOpen = false;
        CloseChannel();
    }
    RefreshPortList();
    g_session.replyExpected = false;
    g_session.quietProbe = false;
    g_session.modelLetter = 'X';
    g_session.firmwareVersion = 0;
    g_session.firmwareSupported = false;
    g_session.cachedSettings[0] = '\0';
    EnableWindow(g_controls.radio[IdWiegand58], FALSE);
    SetWindowTextA(g_controls.versionValue, kNoFirmware);
}

void OnPortComboCommand(int notification) {
    if (notification != CBN_SELCHANGE) return;
    HWND combo = PortCombo();
    const int selected = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0);
    if (selected == CB_ERR || length == CB_ERR || length <= 0) {
        Report(UiText[TextNoPorts], IconWarning);
        return;
    }
    // Every listed name is "COM" and a number and fits the session's port name; anything
    // longer is refused as a port that cannot be opened, never cut to another port's name.
    char name[kMessageSize];
    ReadComboEntry(combo, selected, name, sizeof name);
    if (name[0] == '\0') {
        Report(UiText[TextNoPorts], IconWarning);
        return;
    }
    if (std::strlen(name) >= sizeof g_session.portName) {
        ReportOpenError(name);
        RefreshPortList();
        return;
    }
    std::memcpy(g_session.portName, name, sizeof g_session.portName);
    g_session.portIndex = selected;
    OpenSelectedPort();
    g_session.replyExpected = true;
}

void OnSearchCommand() {
    ResetSession();
    StartProgress(ProgressSearch, kSearchIntervalMs);
}

void OnReadCommand() {
    if (g_session.portOpen) SendSettingsQuery();
    else StartProgress(ProgressSearch, kSearchIntervalMs);
}

void OnWriteCommand() {
    if (!g_session.portOpen) {
        StartProgress(ProgressSearch, kSearchIntervalMs);
        return;
    }
    char command[kWriteCommandSize] = {};
    int length = 0;
    EncodeSettings(command, &length);
    if (length < 0 || length > kWriteCommandSize) length = 0;
    SendWriteCommand(command, length);
}
