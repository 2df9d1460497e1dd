// SPDX-License-Identifier: Apache-2.0
// A stand-in PDF viewer for the end-to-end tests. A test registers it as the "open" command of
// .pdf files in its own Wine prefix; when the shell starts it, it appends one line to
// viewer-log.txt beside itself and exits:
//     <file argument as given> \t <1 if that file exists, else 0> \t <working directory>
// in UTF-8, so the test can tell that the program's Help command reached the shell with the
// right file. It shows nothing and needs no console.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string out(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], length, nullptr,
                        nullptr);
    return out;
}

std::wstring LogPath() {
    wchar_t module[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, length);
    size_t slash = path.find_last_of(L"\\/");
    return path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + L"viewer-log.txt";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring file = (argv && count > 1) ? argv[1] : L"";
    if (argv) LocalFree(argv);

    bool exists = !file.empty() && GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);

    std::string line = Utf8(file) + "\t" + (exists ? "1" : "0") + "\t" + Utf8(cwd) + "\n";
    HANDLE log = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
    return 0;
}
