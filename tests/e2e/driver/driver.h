// SPDX-License-Identifier: Apache-2.0
#pragma once
// vdriver: the end-to-end tests' hands and eyes inside the Wine prefix.
// It reads one command per line on stdin and answers one line on stdout:
// "OK [values...]" or "ERR <reason>". The command set is listed in driver.cpp.
#include <windows.h>

#include <string>
#include <vector>

using Args = std::vector<std::string>;

// Argument parsing; each throws nothing: a bad argument yields the value 0 / empty
// and sets g_argError, which the dispatcher turns into "ERR bad argument".
extern bool g_argError;
long long ArgInt(const Args& args, size_t index, long long fallback = 0);
HWND ArgHwnd(const Args& args, size_t index);
// Byte strings travel as "x:" followed by hex digits ("x:" alone is empty); "-" means none.
bool ArgBytes(const Args& args, size_t index, std::string* bytes);
std::wstring Widen(const std::string& ascii);

std::string Hex(const std::string& bytes);
std::string HexOf(const void* data, size_t size);
std::string Num(long long value);
std::string HwndText(HWND window);
std::string RectText(const RECT& rect);

// Every command: its arguments after the name; returns the whole reply line.
using Command = std::string (*)(const Args& args);
struct CommandEntry {
    const char* name;
    Command run;
};

// Command tables of the files that implement them (terminated by a null name).
extern const CommandEntry kWindowCommands[];
extern const CommandEntry kRemoteCommands[];
extern const CommandEntry kDeviceCommands[];
extern const CommandEntry kProcessCommands[];
extern const CommandEntry kPixelCommands[];
extern const CommandEntry kProbeCommands[];

// Shared helpers.
constexpr UINT kSendTimeoutMs = 3000;
bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                     UINT timeoutMs = kSendTimeoutMs);
std::string WindowTextBytes(HWND window);
HANDLE ProcessHandleFor(DWORD pid);  // a handle this driver keeps; null if unknown

inline std::string Ok(const std::string& values = "") { return values.empty() ? "OK" : "OK " + values; }
inline std::string Err(const std::string& reason) { return "ERR " + reason; }
