#include "message_watch.h"

namespace {

constexpr int kMessageTextId = 0xFFFF;

struct Search {
    DWORD process;
    HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (process == search->process && std::string(cls) == "#32770" && IsWindowVisible(window)) {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

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
        Search search{GetCurrentProcessId(), nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.box) {
            char text[512] = {};
            GetDlgItemTextA(search.box, kMessageTextId, text, sizeof text);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                texts_.push_back(text);
            }
            // Sent, so the box is gone before the next one is looked for.
            SendMessageA(search.box, WM_COMMAND, IDOK, 0);
        }
        Sleep(5);
    }
}
