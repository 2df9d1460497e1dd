#include <windows.h>

#include <chrono>
#include <thread>

#include "cli/console.h"
#include "core/family.h"

namespace {

std::atomic<bool> g_interrupted{false};

constexpr int kSleepSliceMs = 20;

BOOL WINAPI OnControl(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        g_interrupted.store(true);
        return TRUE;
    }
    return FALSE;
}

// A console gets wide text (its code page, 866 by default, cannot show every character we
// write); a file or pipe gets the UTF-8 bytes, so JSON stays UTF-8.
void WriteTo(DWORD which, const std::string& utf8) {
    HANDLE handle = GetStdHandle(which);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || utf8.empty()) return;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    DWORD written = 0;
    WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

void WriteOut(const std::string& utf8) { WriteTo(STD_OUTPUT_HANDLE, utf8); }
void WriteErr(const std::string& utf8) { WriteTo(STD_ERROR_HANDLE, utf8); }

void InstallInterruptHandler() { SetConsoleCtrlHandler(OnControl, TRUE); }

const std::atomic<bool>& InterruptFlag() { return g_interrupted; }

int LanguageFromLocale() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_RUSSIAN ? kRussian : kEnglish;
}

void SleepUnlessInterrupted(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!g_interrupted.load() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kSleepSliceMs));
    }
}
