// SPDX-License-Identifier: Apache-2.0
#include "win/ui_window.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#include "gui/app.h"
#include "gui/texts.h"
#include "gui/texts.h"
#include "gui/session.h"
#include "gui/controls.h"
#include "gui/lamps.h"

namespace {

CreationRecorder* g_recorder = nullptr;
HHOOK g_hook = nullptr;

LRESULT CALLBACK RecordCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_recorder) {
        const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (cs->hwndParent && cs->hwndParent == g_mainWindow) {
            CreatedWindow w = {};
            w.window = reinterpret_cast<HWND>(wParam);
            if (HIWORD(reinterpret_cast<ULONG_PTR>(cs->lpszClass))) {
                w.className = cs->lpszClass;
            } else {
                char name[64] = {};
                GetClassNameA(w.window, name, sizeof name);
                w.className = name;
            }
            w.id = static_cast<int>(reinterpret_cast<INT_PTR>(cs->hMenu));
            w.hasText = cs->lpszName != nullptr;
            if (cs->lpszName) w.text = cs->lpszName;
            w.style = static_cast<DWORD>(cs->style);
            w.exStyle = cs->dwExStyle;
            w.x = cs->x;
            w.y = cs->y;
            w.width = cs->cx;
            w.height = cs->cy;
            g_recorder->created.push_back(w);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

// A private working directory, so that the configuration file the program saves is ours.
void EnterWorkDirectory() {
    static bool entered = false;
    if (entered) return;
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    char dir[MAX_PATH];
    std::snprintf(dir, sizeof dir, "%svireo-ui-%lu", base, GetCurrentProcessId());
    CreateDirectoryA(dir, nullptr);
    SetCurrentDirectoryA(dir);
    entered = true;
}

void WriteDefaultConfig(int family, int language) {
    FILE* f = std::fopen(kConfigFileName, "wb");
    if (!f) return;
    std::fputs(language == kEnglish ? "Language = EN;\r\n" : "Language = RU;\r\n", f);
    std::fputs(family == kUsb ? "TabCtrl = USB_USB;\r\n" : "TabCtrl = KRU_KRM;\r\n", f);
    std::fclose(f);
}

void RegisterMainClassOnce() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassA(&wc);
    registered = true;
}

}  // namespace

CreationRecorder::CreationRecorder() {
    g_recorder = this;
    g_hook = SetWindowsHookExA(WH_CBT, RecordCreation, nullptr, GetCurrentThreadId());
}

CreationRecorder::~CreationRecorder() {
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    g_recorder = nullptr;
}

HWND CreateTestMainWindow(int family, int language, CreationRecorder* recorder) {
    DestroyTestMainWindow();
    EnterWorkDirectory();
    WriteDefaultConfig(family, language);
    InitSessionState();
    g_controls = MainControls{};
    for (LampColor& color : g_lampColors) color = 0;
    g_readerFamily = family;
    g_uiLanguage = language;
    FillUiText();
    RegisterMainClassOnce();
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - 197;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - 345;
    g_mainWindow = CreateWindowExA(0, kMainWindowClass, UiText[TextTitle], WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                                   kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, nullptr, nullptr);
    (void)recorder;  // the recorder's hook is already watching this thread
    CreateMainControls();
    ShowWindow(g_mainWindow, SW_SHOWNOACTIVATE);
    UpdateWindow(g_mainWindow);
    PumpMessages();
    return g_mainWindow;
}

void DestroyTestMainWindow() {
    if (!g_mainWindow) return;
    // Without the program's procedure WM_DESTROY posts no quit message, so later
    // modal loops of the same test process keep running.
    SetWindowLongPtrA(g_mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    DestroyWindow(g_mainWindow);
    g_mainWindow = nullptr;
    PumpMessages();
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

namespace {

struct WatchState {
    HWND owner;
    WPARAM command;
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::vector<SeenBox> seen;
    std::vector<HWND> handled;
    std::thread thread;
};

struct FindContext {
    HWND owner;
    HWND found;
    const std::vector<HWND>* handled;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM param) {
    auto* ctx = reinterpret_cast<FindContext*>(param);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) != "#32770" || GetWindow(window, GW_OWNER) != ctx->owner || !IsWindowVisible(window))
        return TRUE;
    if (std::find(ctx->handled->begin(), ctx->handled->end(), window) != ctx->handled->end()) return TRUE;
    ctx->found = window;
    return FALSE;
}

// Wine gives the message box's icon static the id stc1; Windows 0x14.
constexpr int kIconStaticIds[] = {0x14, 0x440};
constexpr int kBoxTextId = 0xFFFF;

void Watch(WatchState* s) {
    while (!s->stop) {
        std::vector<HWND> handled;
        {
            std::lock_guard<std::mutex> guard(s->lock);
            handled = s->handled;
        }
        FindContext ctx = {s->owner, nullptr, &handled};
        EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&ctx));
        if (ctx.found) {
            SeenBox box = {};
            box.caption = WindowText(ctx.found);
            wchar_t wide[256] = {};
            GetWindowTextW(ctx.found, wide, 256);
            box.captionW = wide;
            if (HWND text = GetDlgItem(ctx.found, kBoxTextId)) box.text = WindowText(text);
            for (int id : kIconStaticIds)
                if (HWND icon = GetDlgItem(ctx.found, id))
                    if (!box.icon) box.icon = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
            {
                std::lock_guard<std::mutex> guard(s->lock);
                s->seen.push_back(box);
                s->handled.push_back(ctx.found);
            }
            PostMessageA(ctx.found, WM_COMMAND, s->command, 0);
        }
        Sleep(10);
    }
}

}  // namespace

std::vector<std::string> PortComboEntries() {
    std::vector<std::string> entries;
    const int count = static_cast<int>(SendMessageA(g_controls.portCombo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        SendMessageA(g_controls.portCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

BoxWatcher::BoxWatcher(HWND owner, WPARAM closeCommand) {
    auto* s = new WatchState;
    s->owner = owner;
    s->command = closeCommand;
    s->thread = std::thread(Watch, s);
    state = s;
}

BoxWatcher::~BoxWatcher() {
    auto* s = static_cast<WatchState*>(state);
    s->stop = true;
    s->thread.join();
    delete s;
}

std::vector<SeenBox> BoxWatcher::Seen() {
    auto* s = static_cast<WatchState*>(state);
    std::lock_guard<std::mutex> guard(s->lock);
    return s->seen;
}
