// SPDX-License-Identifier: Apache-2.0
#pragma once
// The real main window, built for a test as start-up builds it, and tools to watch what
// it creates and shows.
#include <windows.h>

#include <string>
#include <vector>

#include "gui/app.h"

// One window created while a CreationRecorder was alive (children of the main window only).
struct CreatedWindow {
    HWND window;
    std::string className;
    int id;
    bool hasText;
    std::string text;
    DWORD style;
    DWORD exStyle;
    int x, y, width, height;
};

// Records every CreateWindowEx for a child of the main window on this thread.
struct CreationRecorder {
    CreationRecorder();
    ~CreationRecorder();
    std::vector<CreatedWindow> created;
};

// Builds a fresh main window (the previous test's window is destroyed quietly) with the
// given family and language, in a private working directory. Returns the main window.
HWND CreateTestMainWindow(int family, int language, CreationRecorder* recorder = nullptr);
// Destroys the test's main window without ending any message loop.
void DestroyTestMainWindow();

// Dispatches pending messages of this thread (paints, posted commands).
void PumpMessages();

// A modal box or dialog seen by a BoxWatcher.
struct SeenBox {
    std::string caption;
    std::wstring captionW;  // the caption as the window holds it (Cyrillic whatever the code page)
    std::string text;   // the static 0xFFFF of a message box; empty for other dialogs
    HICON icon;         // the icon a message box shows
};

// Watches for top-level dialogs owned by the main window on another thread, records
// them and closes each with the given command (IDOK by default).
struct BoxWatcher {
    explicit BoxWatcher(HWND owner, WPARAM closeCommand = IDOK);
    ~BoxWatcher();
    std::vector<SeenBox> Seen();
    void* state;
};

// Runs action with every box the main window owns recorded and answered with OK.
template <typename Action>
std::vector<SeenBox> BoxesOf(Action action) {
    BoxWatcher watcher(g_mainWindow);
    action();
    return watcher.Seen();
}

// The entries of the main window's port list, in order.
std::vector<std::string> PortComboEntries();

// The text of a window as the program set it (8-bit).
std::string WindowText(HWND window);
