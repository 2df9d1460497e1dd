#include <windows.h>
#include <commctrl.h>

#include "gui/app.h"
#include "gui/texts.h"
#include "core/settings.h"
#include "gui/setting_radios.h"
#include "gui/session.h"
#include "gui/workflow.h"
#include "gui/controls.h"
#include "gui/lamps.h"

// The two reader pages: which controls each shows, their default choices, and the
// reactions to a tab change and to clicks on the setting radios.

namespace {

MainControls& c = g_controls;

HWND Radio(int id) { return (id > 0 && id < kRadioSlots) ? c.radio[id] : nullptr; }

void Show(HWND window, int showCommand) { ShowWindow(window, showCommand); }

void EnableRadios(const int* ids, int count, BOOL enable) {
    for (int i = 0; i < count; ++i) EnableWindow(Radio(ids[i]), enable);
}

void Check(int first, int last, int checked) { CheckRadioButton(g_mainWindow, first, last, checked); }

// The card-for-read group is usable only while the USB page is shown.
void EnableCardForRead(BOOL enable) {
    EnableWindow(c.groupCardForRead, enable);
    const int ids[] = {IdCardsAll, IdCardsEmHid, IdCardsMifare};
    EnableRadios(ids, 3, enable);
}

void EnableHexDec(BOOL enable) {
    const int ids[] = {IdHex, IdDec};
    EnableRadios(ids, 2, enable);
}

void OnHexOrDecClicked() {
    EnableHexDec(TRUE);
    // Only offered here, never taken away: the reply's rule without its disabling half.
    if (Bytes7Availability(g_session.firmwareVersion, g_session.modelLetter) == AvailabilityEnable) {
        EnableWindow(Radio(IdBytes7), TRUE);
        // Give back the byte count the reader last reported (or was last written).
        if (g_session.cachedSettings[0] != '\0') {
            const auto* cached = reinterpret_cast<const unsigned char*>(g_session.cachedSettings);
            const int id = RadioFor(DecodeUsbPayload(cached, kUsbPayloadLength).bytes);
            if (id) Check(IdBytes7, IdBytes2, id);
        }
    }
}

void OnFormatTouchMemoryClicked() {
    EnableHexDec(FALSE);
    if (TouchMemoryDisablesBytes7(g_session.firmwareVersion)) {
        EnableWindow(Radio(IdBytes7), FALSE);
        if (SendMessageA(Radio(IdBytes7), BM_GETCHECK, 0, 0) == BST_CHECKED) Check(IdBytes7, IdBytes2, IdBytes5);
    }
}

}  // namespace

// "Wiegand 58" is left disabled whether the page is shown or hidden: only a settings
// reply from a reader that supports it enables it again.
void ShowKruKrmPage(int showCommand) {
    Show(c.groupInterfaces, showCommand);
    for (int id = IdTouchMemory; id <= IdWiegand58; ++id) Show(Radio(id), showCommand);
    EnableWindow(Radio(IdWiegand58), FALSE);
    Show(c.groupIndicationControl, showCommand);
    Show(Radio(IdDirect), showCommand);
    Show(Radio(IdInverse), showCommand);
    Show(c.groupStandby, showCommand);
    for (int id = IdDynamic; id <= IdStandbyOff; ++id) Show(Radio(id), showCommand);
    Show(c.groupTouchPoll, showCommand);
    Show(Radio(IdPollOn), showCommand);
    Show(Radio(IdPollOff), showCommand);
}

// "7" likewise stays disabled after every call.
void ShowUsbPage(int showCommand) {
    Show(c.groupOperatingMode, showCommand);
    Show(Radio(IdModeWindows), showCommand);
    Show(Radio(IdModeAll), showCommand);
    Show(c.groupOutputFormat, showCommand);
    Show(Radio(IdHexOrDec), showCommand);
    Show(Radio(IdFormatTouchMemory), showCommand);
    Show(c.groupOutputType, showCommand);
    Show(Radio(IdHex), showCommand);
    Show(Radio(IdDec), showCommand);
    Show(c.groupByteCount, showCommand);
    Show(Radio(IdBytes7), showCommand);
    EnableWindow(Radio(IdBytes7), FALSE);
    for (int id = IdBytes5; id <= IdBytes2; ++id) Show(Radio(id), showCommand);
}

// The lamps are not invalidated here: the callers do, or the first paint draws them.
void ApplyKruKrmDefaults() {
    ShowUsbPage(SW_HIDE);
    ShowKruKrmPage(SW_SHOW);
    Check(IdTouchMemory, IdWiegand58, IdTouchMemory);
    Check(IdDirect, IdInverse, IdDirect);
    Check(IdDynamic, IdStandbyOff, IdStandbyOff);
    Check(IdPollOn, IdPollOff, IdPollOff);
    Check(IdCardsAll, IdCardsMifare, IdCardsAll);
    EnableCardForRead(FALSE);
    SetLampColors(kKruKrmDefaultColors);
}

void ApplyUsbDefaults() {
    ShowKruKrmPage(SW_HIDE);
    ShowUsbPage(SW_SHOW);
    Check(IdModeWindows, IdModeAll, IdModeWindows);
    Check(IdHexOrDec, IdFormatTouchMemory, IdHexOrDec);
    Check(IdHex, IdDec, IdHex);
    Check(IdBytes7, IdBytes2, IdBytes5);
    Check(IdCardsAll, IdCardsMifare, IdCardsAll);
    EnableHexDec(TRUE);
    EnableCardForRead(TRUE);
    SetLampColors(kUsbDefaultColors);
}

// A tab change loses the page's unwritten choices and looks for a reader of the new
// family, exactly as SEARCH does.
void OnReaderTabChanged() {
    const LRESULT selection = SendMessageA(c.tabs, TCM_GETCURSEL, 0, 0);
    if (selection == kUsb) {
        g_readerFamily = kUsb;
        SaveConfig();
        ApplyUsbDefaults();
    } else if (selection == kKruKrm) {
        g_readerFamily = kKruKrm;
        SaveConfig();
        ApplyKruKrmDefaults();
    } else {
        return;
    }
    InvalidateLamps();
    ResetSession();
    StartProgress(ProgressSearch, kSearchIntervalMs);
}

void OnSettingRadioClicked(int id) {
    if (id == IdHexOrDec) {
        OnHexOrDecClicked();
        return;
    }
    if (id == IdFormatTouchMemory) {
        OnFormatTouchMemoryClicked();
        return;
    }
    int lamp = 0;
    LampColor color = 0;
    if (!LampForRadio(id, &lamp, &color)) return;
    g_lampColors[lamp] = color;
    InvalidateLamps();
}

bool IsRadioChecked(int id) {
    HWND radio = Radio(id);
    return radio && SendMessageA(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
