#include "win/codec_fixture.h"

#include "win/ui_window.h"

#include <doctest/doctest.h>

#include <cstring>

#include "app/app.h"
#include "config/config.h"
#include "config/uitext.h"
#include "session/session.h"
#include "ui/control_ids.h"
#include "ui/controls.h"
#include "ui/lamps.h"

namespace {

constexpr int kRadioIds[] = {
    IdTouchMemory, IdWiegand26, IdWiegand44, IdWiegand58, IdDirect, IdInverse, IdDynamic,
    IdStatic, IdStandbyOff, IdPollOn, IdPollOff, IdModeWindows, IdModeAll, IdHexOrDec,
    IdFormatTouchMemory, IdHex, IdDec, IdBytes7, IdBytes5, IdBytes4, IdBytes3, IdBytes2,
    IdCardsAll, IdCardsEmHid, IdCardsMifare,
};
constexpr int kBoxIdText = 0xFFFF;

HWND g_window;
HHOOK g_hook;
HWND g_lastBox;
std::vector<RecordedBox>* g_recording;

// The box's picture: the static with the icon style (its id is 0x14 on Windows, 0x440 on Wine).
BOOL CALLBACK FindIconStatic(HWND child, LPARAM result) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(result) = child;
        return FALSE;
    }
    return TRUE;
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_recording != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::strcmp(className, "#32770") == 0 && window != g_lastBox) {
            g_lastBox = window;
            char text[512] = {};
            GetDlgItemTextA(window, kBoxIdText, text, sizeof text);
            HWND iconStatic = nullptr;
            EnumChildWindows(window, FindIconStatic, reinterpret_cast<LPARAM>(&iconStatic));
            HICON icon = iconStatic ? reinterpret_cast<HICON>(SendMessageA(iconStatic, STM_GETICON, 0, 0)) : nullptr;
            g_recording->push_back({text, icon, LampColumnInvalid(), g_session.modelLetter});
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace

void ResetCodecWindow(int family) {
    g_window = CreateTestMainWindow(family, kEnglish);
    REQUIRE(g_window != nullptr);
    // At the screen's left edge, so that message boxes (centred) never cover the lamp column.
    SetWindowPos(g_window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (g_hook == nullptr) g_hook = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    REQUIRE(g_hook != nullptr);
    for (int id : kRadioIds) {
        SetChecked(id, false);
        SetEnabled(id, !(id == IdWiegand58 || id == IdBytes7 || id == IdHex || id == IdDec));
    }
    SetWindowTextA(GetDlgItem(g_window, IdVersionValue), "x.xx");
    for (LampColor& color : g_lampColors) color = kMarkerColor;
    PaintNow();
}

std::vector<RecordedBox> RecordBoxes(void (*action)(const char*), const char* payload) {
    std::vector<RecordedBox> boxes;
    g_recording = &boxes;
    g_lastBox = nullptr;
    action(payload);
    g_recording = nullptr;
    return boxes;
}

bool IsChecked(int id) { return SendDlgItemMessageA(g_window, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool IsEnabled(int id) { return IsWindowEnabled(GetDlgItem(g_window, id)) != FALSE; }
void SetChecked(int id, bool checked) {
    SendDlgItemMessageA(g_window, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
void SetEnabled(int id, bool enabled) { EnableWindow(GetDlgItem(g_window, id), enabled ? TRUE : FALSE); }

std::string ControlText(int id) {
    char text[64] = {};
    GetDlgItemTextA(g_window, id, text, sizeof text);
    return text;
}

bool LampColumnInvalid() {
    RECT column = {kLampColumnRect.left, kLampColumnRect.top, kLampColumnRect.right, kLampColumnRect.bottom};
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int kind = GetUpdateRgn(g_window, region, FALSE);
    bool invalid = kind != NULLREGION && kind != ERROR && RectInRegion(region, &column);
    DeleteObject(region);
    return invalid;
}

void PaintNow() {
    RedrawWindow(g_window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ValidateRect(g_window, nullptr);
}

HICON ProgramIcon(unsigned id) { return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)); }

ReplyBuffer PayloadBuffer(const char* text) {
    ReplyBuffer buffer = {};
    std::strncpy(buffer.bytes, text, sizeof buffer.bytes);
    return buffer;
}
