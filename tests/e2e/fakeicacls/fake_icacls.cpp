// SPDX-License-Identifier: Apache-2.0
// A stand-in for icacls.exe in the installer's tests (Wine's own icacls is a stub that changes
// nothing, and Wine keeps no access rights a program sets). A test puts it in the prefix's
// system32 as icacls.exe; each run appends its arguments, as given, as one UTF-8 line to
// icacls-log.txt beside itself, so the test sees which rights the installer asked for. With a
// file icacls-fail beside it, it fails as icacls does when access is denied (exit code 5).
#include <windows.h>

#include <string>

namespace {

constexpr int kAccessDenied = 5;

std::string Utf8(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string out(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], length, nullptr,
                        nullptr);
    return out;
}

std::wstring Beside(const wchar_t* name) {
    wchar_t module[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, length);
    size_t slash = path.find_last_of(L"\\/");
    return path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + name;
}

// The command line after the program's own name (quoted or not).
std::wstring Arguments() {
    const wchar_t* line = GetCommandLineW();
    if (*line == L'"') {
        for (++line; *line && *line != L'"'; ++line) {}
        if (*line) ++line;
    } else {
        while (*line && *line != L' ') ++line;
    }
    while (*line == L' ') ++line;
    return line;
}

}  // namespace

int wmain() {
    std::string entry = Utf8(Arguments()) + "\n";
    HANDLE log = CreateFileW(Beside(L"icacls-log.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(log, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
    CloseHandle(log);
    return GetFileAttributesW(Beside(L"icacls-fail").c_str()) == INVALID_FILE_ATTRIBUTES ? 0 : kAccessDenied;
}
