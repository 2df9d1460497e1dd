// SPDX-License-Identifier: Apache-2.0
#pragma once
// The application shell: the main window, its class and its one dispatcher.
#include <windows.h>

constexpr const char* kMainWindowClass = "my Window";
constexpr int kMainWindowWidth = 395;
constexpr int kMainWindowHeight = 690;

extern HWND g_mainWindow;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
