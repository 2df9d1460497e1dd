#include <windows.h>

#include <chrono>
#include <thread>

#include "cli/console.h"
#include "cli/reader.h"
#include "core/family.h"

namespace {

std::atomic<bool> g_interrupted{false};
// The first failed write of stdout and of stderr, as GetLastError (0: none).
std::atomic<unsigned long> g_outputError[2] = {{0}, {0}};

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
bool IsClosedPipe(unsigned long code) { return code == ERROR_NO_DATA || code == ERROR_BROKEN_PIPE; }

void WriteTo(DWORD which, const std::string& utf8) {
    std::atomic<unsigned long>& failure = g_outputError[which == STD_ERROR_HANDLE ? 1 : 0];
    HANDLE handle = GetStdHandle(which);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || utf8.empty() || failure.load() != 0) return;
    unsigned long none = 0;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
        DWORD written = 0;
        if (!WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
            failure.compare_exchange_strong(none, GetLastError());
        }
        return;
    }
    DWORD written = 0;
    if (!WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr)) {
        failure.compare_exchange_strong(none, GetLastError());
    } else if (written != utf8.size()) {
        failure.compare_exchange_strong(none, static_cast<unsigned long>(ERROR_HANDLE_DISK_FULL));
    }
}

}  // namespace

void WriteOut(const std::string& utf8) { WriteTo(STD_OUTPUT_HANDLE, utf8); }
void WriteErr(const std::string& utf8) { WriteTo(STD_ERROR_HANDLE, utf8); }

OutputFault OutputFaultOf() {
    OutputFault fault = OutputFault::None;
    for (const std::atomic<unsigned long>& error : g_outputError) {
        unsigned long code = error.load();
        if (code != 0 && !IsClosedPipe(code)) return OutputFault::Failed;
        if (code != 0) fault = OutputFault::Closed;
    }
    return fault;
}

std::string OutputFaultReason() {
    unsigned long code = 0;
    for (const std::atomic<unsigned long>& error : g_outputError) {
        unsigned long each = error.load();
        if (each != 0 && (code == 0 || IsClosedPipe(code))) code = each;
    }
    return SystemErrorText(code);
}

std::string SystemErrorText(unsigned long code) {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L'.')) --length;
    int size = length > 0 ? WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr) : 0;
    std::string reason(static_cast<std::size_t>(size), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &reason[0], size, nullptr, nullptr);
    if (text != nullptr) LocalFree(text);
    return reason.empty() ? "error " + std::to_string(code) : reason;
}

// A broken pipe shows only when written to; the next card's line ends the watch.
bool OutputGone() { return false; }

int InterruptedExitCode() { return kExitInterrupted; }

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
