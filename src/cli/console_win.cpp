// SPDX-License-Identifier: Apache-2.0
#include <windows.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "cli/console.h"
#include "cli/reader.h"
#include "cli/text_fallback.h"
#include "core/family.h"

namespace {

std::atomic<bool> g_interrupted{false};
// The first failed write of stdout and of stderr, as GetLastError (0: none).
std::atomic<unsigned long> g_outputError[2] = {{0}, {0}};
// Set once, before any output: standard output carries JSON documents.
bool g_jsonOut = false;

constexpr char kUnknownCharacter[] = "?";

std::wstring Wide(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

std::string Utf8(const wchar_t* wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return std::string();
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], length, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(length - 1));
    return utf8;
}

// The code page a Windows user's tools read redirected text in: the console's, or the OEM code
// page when the process has no console.
UINT TextCodePage() {
    const UINT console = GetConsoleOutputCP();
    return console != 0 ? console : GetOEMCP();
}

// One character in the code page, or nothing when the page cannot hold it as itself (no
// best-fit look-alikes: those may mislead, "->" does not).
std::string InCodePage(UINT codePage, const wchar_t* units, int count) {
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, units, count, bytes, sizeof bytes,
                                           nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return std::string();
    return std::string(bytes, static_cast<std::size_t>(length));
}

// UTF-8 text in the code page, characters it cannot hold in plain ASCII.
std::string ToCodePage(const std::string& utf8, UINT codePage) {
    if (codePage == CP_UTF8) return utf8;
    const std::wstring wide = Wide(utf8);
    std::string out;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const bool pair = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]);
        const int units = pair ? 2 : 1;
        if (wide[i] < 0x80) {
            out.push_back(static_cast<char>(wide[i]));
        } else {
            std::string held = InCodePage(codePage, &wide[i], units);
            if (held.empty()) {
                const char* ascii = pair ? nullptr : AsciiFallback(static_cast<char32_t>(wide[i]));
                held = ascii != nullptr ? ascii : kUnknownCharacter;
            }
            out += held;
        }
        i += static_cast<std::size_t>(units - 1);
    }
    return out;
}

constexpr int kSleepSliceMs = 20;

BOOL WINAPI OnControl(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        g_interrupted.store(true);
        return TRUE;
    }
    return FALSE;
}

// A console gets wide text (its code page, 866 by default, cannot show every character we
// write); a file or pipe gets text in the console's code page, as "type" and "more" read it,
// and JSON the UTF-8 bytes.
bool IsClosedPipe(unsigned long code) { return code == ERROR_NO_DATA || code == ERROR_BROKEN_PIPE; }

void WriteTo(DWORD which, const std::string& utf8, bool json) {
    std::atomic<unsigned long>& failure = g_outputError[which == STD_ERROR_HANDLE ? 1 : 0];
    HANDLE handle = GetStdHandle(which);
    if (utf8.empty() || failure.load() != 0) return;
    unsigned long none = 0;
    // A process started without this handle (closed by its parent): the text is lost, which
    // is an output error as on Linux, never a quiet success. Ports and files are opened as
    // handles of their own, so nothing else takes the place of a standard handle here.
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        failure.compare_exchange_strong(none, static_cast<unsigned long>(ERROR_INVALID_HANDLE));
        return;
    }
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = Wide(utf8);
        DWORD written = 0;
        if (!WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
            failure.compare_exchange_strong(none, GetLastError());
        }
        return;
    }
    const std::string bytes = json ? utf8 : ToCodePage(utf8, TextCodePage());
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        failure.compare_exchange_strong(none, GetLastError());
    } else if (written != bytes.size()) {
        failure.compare_exchange_strong(none, static_cast<unsigned long>(ERROR_HANDLE_DISK_FULL));
    }
}

}  // namespace

// The command line as Windows keeps it, wide, so a name outside the ANSI code page is whole;
// the tool works in UTF-8.
extern "C" int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(Utf8(argv[i]));
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(&argument[0]);
    pointers.push_back(nullptr);
    return Vireo4Main(argc, pointers.data());
}

void WriteOut(const std::string& utf8) { WriteTo(STD_OUTPUT_HANDLE, utf8, g_jsonOut); }
void WriteErr(const std::string& utf8) { WriteTo(STD_ERROR_HANDLE, utf8, false); }

void SetJsonOutput(bool json) { g_jsonOut = json; }

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
    return _wfopen(Wide(utf8Path).c_str(), Wide(mode).c_str());
}

FileKind KindOfFile(const std::string& utf8Path, unsigned long* code) {
    *code = 0;
    const std::wstring wide = Wide(utf8Path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *code = GetLastError();
        return FileKind::Missing;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::Directory;
    // A device (\\.\COM1, a named pipe) is no file: it is never opened to be read as one.
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0 || wide.rfind(L"\\\\.\\", 0) == 0) return FileKind::Other;
    return FileKind::Regular;
}

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

// Windows gives its texts in the language of its own installation.
std::string SystemReason(int, unsigned long code) { return SystemErrorText(code); }

// errno's words: the C library's, as Windows has no text of its own for them.
std::string FileErrorReason(int) { return std::strerror(errno); }
