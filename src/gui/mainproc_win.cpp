// SPDX-License-Identifier: Apache-2.0
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include "gui/app.h"
#include "gui/language.h"
#include "gui/texts.h"
#include "gui/card_id.h"
#include "gui/hotplug.h"
#include "gui/session.h"
#include "gui/workflow.h"
#include "gui/controls.h"
#include "gui/lamps.h"
#include "gui/menus.h"

HWND g_mainWindow = nullptr;

namespace {

void OnDestroy(HWND window) {
    for (UINT_PTR id = ProgressSearch; id <= kSettleTimerId; ++id) KillTimer(window, id);
    ResetSession();
    PostQuitMessage(0);
}

void OnPaint() {
    EraseOtherPageLamps();
    InvalidateLamps();
    PaintIndicatorLamps();
}

void OnCommand(WPARAM wParam) {
    const unsigned id = LOWORD(wParam);
    switch (id) {
    case IdPortCombo: OnPortComboCommand(HIWORD(wParam)); break;
    case IdSearch: OnSearchCommand(); break;
    case IdRead: OnReadCommand(); break;
    case IdWrite: OnWriteCommand(); break;
    case IdQuit: SendMessageA(g_mainWindow, WM_CLOSE, 0, 0); break;
    case IdRussian: SwitchLanguage(kRussian); break;
    case IdEnglish: SwitchLanguage(kEnglish); break;
    case IdReadId: OnReadIdCommand(); break;
    case IdHelp: OpenHelpFile(); break;
    case IdAbout: ShowAboutDialog(); break;
    default:
        if (FindRadio(static_cast<int>(id), nullptr)) OnSettingRadioClicked(static_cast<int>(id));
        break;
    }
}

void OnTimer(WPARAM wParam) {
    const unsigned id = LOWORD(wParam);
    if (id >= ProgressSearch && id <= ProgressWrite) {
        BeginProgressTick();
        OnProgressTimer(static_cast<int>(id));
        EndProgressTick();
    } else if (id == kSettleTimerId) {
        OnSettleTimer();
    }
}

}  // namespace

// The single dispatcher: every handled message runs its handler, then, like every other
// message, goes to DefWindowProcA, whose result is returned.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: OnDestroy(window); break;
    case WM_PAINT: OnPaint(); break;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(TCN_SELCHANGE)) OnReaderTabChanged();
        break;
    case WM_COMMAND: OnCommand(wParam); break;
    case WM_TIMER: OnTimer(wParam); break;
    case WM_RBUTTONUP: ShowQuitContextMenu(lParam); break;
    case WM_DEVICECHANGE: OnDeviceChange(wParam); break;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
