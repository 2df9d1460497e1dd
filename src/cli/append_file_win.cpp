// SPDX-License-Identifier: Apache-2.0
#include <windows.h>

#include "cli/append_file.h"
#include "cli/console.h"

namespace {

HANDLE HandleOf(const AppendFile* file) { return reinterpret_cast<HANDLE>(file->handle); }

bool Fail(std::string* reason) {
    *reason = SystemErrorText(GetLastError());
    return false;
}

// The whole file locked for one write (another writer waits), then unlocked. A pipe or the
// console (--csv CON) has no lock and no size: a new stream each time.
bool IsDisk(HANDLE handle) { return GetFileType(handle) == FILE_TYPE_DISK; }

bool LockWhole(HANDLE handle, OVERLAPPED* whole) {
    *whole = OVERLAPPED{};
    return !IsDisk(handle) || LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, whole) != 0;
}

void UnlockWhole(HANDLE handle, OVERLAPPED* whole) {
    if (IsDisk(handle)) UnlockFileEx(handle, 0, MAXDWORD, MAXDWORD, whole);
}

// The path as Windows names files, wide: a name outside the ANSI code page is found.
std::wstring WidePath(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

bool WriteWhole(HANDLE handle, const std::string& text, std::string* reason) {
    DWORD written = 0;
    if (!WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return Fail(reason);
    if (written != text.size()) {
        *reason = SystemErrorText(ERROR_HANDLE_DISK_FULL);
        return false;
    }
    return true;
}

}  // namespace

bool OpenAppendFile(AppendFile* file, const std::string& path, const std::string& header, std::string* reason) {
    CloseAppendFile(file);
    // FILE_APPEND_DATA alone: every write goes to the end, whoever else appends.
    HANDLE handle = CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return Fail(reason);
    file->handle = reinterpret_cast<std::intptr_t>(handle);
    OVERLAPPED whole;
    if (!LockWhole(handle, &whole)) {
        Fail(reason);
        CloseAppendFile(file);
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = !IsDisk(handle) || GetFileSizeEx(handle, &size) != 0 || Fail(reason);
    if (ok && size.QuadPart == 0) ok = WriteWhole(handle, header, reason);
    UnlockWhole(handle, &whole);
    if (!ok) CloseAppendFile(file);
    return ok;
}

bool AppendToFile(AppendFile* file, const std::string& text, std::string* reason) {
    if (file->handle == -1) {
        *reason = SystemErrorText(ERROR_INVALID_HANDLE);
        return false;
    }
    HANDLE handle = HandleOf(file);
    OVERLAPPED whole;
    if (!LockWhole(handle, &whole)) return Fail(reason);
    bool ok = WriteWhole(handle, text, reason);
    UnlockWhole(handle, &whole);
    return ok;
}

void CloseAppendFile(AppendFile* file) {
    if (file->handle == -1) return;
    CloseHandle(HandleOf(file));
    file->handle = -1;
}
