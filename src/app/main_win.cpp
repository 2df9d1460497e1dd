#include <windows.h>

#include "app/app.h"
#include "config/config.h"
#include "config/uitext.h"
#include "session/workflow.h"
#include "ui/controls.h"

namespace {

constexpr int kAppIconId = 2;

// Hands over to a running instance with the same title; true when one was found.
bool HandOverToRunningInstance() {
    HWND running = FindWindowA(nullptr, UiText[TextTitle]);
    if (!running) return false;
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
    return true;
}

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
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - 197;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - 345;
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
    CreateMainControls();
    ShowWindow(g_mainWindow, SW_SHOWNORMAL);
    UpdateWindow(g_mainWindow);
    SetWindowPos(g_mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    StartProgress(ProgressSearch, kSearchIntervalMs);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
    return 0;
}
