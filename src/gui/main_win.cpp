// SPDX-License-Identifier: Apache-2.0
#include <windows.h>

#include "gui/app.h"
#include "gui/texts.h"
#include "gui/workflow.h"
#include "gui/controls.h"

namespace {

constexpr int kAppIconId = 2;
// Half the window's size, truncated: the offsets from the screen centre that centre it.
constexpr int kHalfWidth = kMainWindowWidth / 2;
constexpr int kHalfHeight = kMainWindowHeight / 2;

// Hands over to a running instance with the same title; true when one was found.
bool HandOverToRunningInstance() {
    HWND running = FindWindowA(nullptr, UiText[TextTitle]);
    if (!running) return false;
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
    return true;
}

// Registered without an instance handle; the window system files the class under the
// program's module, where CreateWindowExA (also without one) finds it.
void RegisterMainClass() {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kAppIconId));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassA(&wc);
}

void CreateMainWindow() {
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - kHalfWidth;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - kHalfHeight;
    g_mainWindow = CreateWindowExA(0, kMainWindowClass, UiText[TextTitle], WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                                   kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

int main() {
    LoadConfig();
    FillUiText();
    if (HandOverToRunningInstance()) return 0;
    RegisterMainClass();
    CreateMainWindow();
    // Without its window the program could never be closed: its loop would wait for
    // ever. End at once instead.
    if (!g_mainWindow) return 0;
    CreateMainControls();
    ShowWindow(g_mainWindow, SW_SHOWNORMAL);
    UpdateWindow(g_mainWindow);
    SetWindowPos(g_mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    StartProgress(ProgressSearch, kSearchIntervalMs);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
    return 0;
}
