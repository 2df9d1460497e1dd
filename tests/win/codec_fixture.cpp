// SPDX-License-Identifier: Apache-2.0
#include "win/codec_fixture.h"

#include "win/ui_window.h"

#include <doctest/doctest.h>

#include <cstring>

#include "gui/app.h"
#include "gui/message.h"
#include "gui/codec.h"
#include "core/config.h"
#include "gui/texts.h"
#include "gui/session.h"
#include "gui/control_ids.h"
#include "gui/controls.h"
#include "gui/lamps.h"

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

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_recording != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::strcmp(className, "#32770") == 0 && window != g_lastBox) {
            g_lastBox = window;
            char text[512] = {};
            GetDlgItemTextA(window, kBoxIdText, text, sizeof text);
            g_recording->push_back({text, BoxIcon(window), LampColumnInvalid(), g_session.modelLetter});
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

ReplyBuffer PayloadBuffer(const char* text) {
    ReplyBuffer buffer = {};
    std::strncpy(buffer.bytes, text, sizeof buffer.bytes);
    return buffer;
}

std::vector<RecordedBox> Decode(const char* payload) {
    ReplyBuffer buffer = PayloadBuffer(payload);
    return RecordBoxes(DecodeSettings, buffer.bytes);
}

std::vector<std::string> Texts(const std::vector<RecordedBox>& boxes) {
    std::vector<std::string> texts;
    for (const RecordedBox& box : boxes) texts.push_back(box.text);
    return texts;
}

void CheckOnly(std::initializer_list<int> group, int checkedId) {
    for (int id : group) CHECK_MESSAGE(IsChecked(id) == (id == checkedId), "radio ", id);
}

void CheckErrorIcons(const std::vector<RecordedBox>& boxes) {
    for (const RecordedBox& box : boxes) CHECK(box.icon == ProgramIcon(IconError));
}
