// SPDX-License-Identifier: Apache-2.0
// The baseline window program: it loads the same system DLLs as VireoTool-4 and shows one
// empty window of the same size, then waits for WM_CLOSE. The benchmark compares VireoTool-4's
// start-up and memory with it, which separates Wine's own cost from the program's.
#include <windows.h>
#include <commctrl.h>
#include <setupapi.h>
#include <shellapi.h>

namespace {

// Written into a volatile table, never called: the loader then maps shell32, setupapi,
// advapi32 and gdi32 as it does for the program.
const void* volatile g_sameImports[4];

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_sameImports[0] = reinterpret_cast<const void*>(&ShellExecuteA);
    g_sameImports[1] = reinterpret_cast<const void*>(&SetupDiDestroyDeviceInfoList);
    g_sameImports[2] = reinterpret_cast<const void*>(&RegCloseKey);
    g_sameImports[3] = reinterpret_cast<const void*>(&GetStockObject);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = "bench Window";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "bench Window", "bench", WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 395, 690,
                                  nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
