// SPDX-License-Identifier: Apache-2.0
#include "message_watch.h"

namespace {

constexpr int kMessageTextId = 0xFFFF;

BOOL CALLBACK FindBox(HWND window, LPARAM result) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (process == GetCurrentProcessId() && std::string(cls) == "#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

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

}  // namespace

HWND FindOwnBox() {
    HWND box = nullptr;
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
    return box;
}

HICON BoxIcon(HWND box) {
    HWND iconStatic = nullptr;
    EnumChildWindows(box, FindIconStatic, reinterpret_cast<LPARAM>(&iconStatic));
    return iconStatic ? reinterpret_cast<HICON>(SendMessageA(iconStatic, STM_GETICON, 0, 0)) : nullptr;
}

HICON ProgramIcon(unsigned id) { return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)); }

MessageWatch::MessageWatch() : thread_([this] { Run(); }) {}

MessageWatch::~MessageWatch() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> MessageWatch::Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
}

void MessageWatch::Run() {
    while (!stop_) {
        if (HWND box = FindOwnBox()) {
            char text[512] = {};
            GetDlgItemTextA(box, kMessageTextId, text, sizeof text);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                texts_.push_back(text);
            }
            // Sent, so the box is gone before the next one is looked for.
            SendMessageA(box, WM_COMMAND, IDOK, 0);
        }
        Sleep(5);
    }
}
