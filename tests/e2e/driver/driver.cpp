// SPDX-License-Identifier: Apache-2.0
// vdriver: a persistent console program that runs in the test's Wine prefix, so a test pays
// Wine's start-up once. One command per line on stdin, one answer line on stdout.
//
// Conventions: numbers are decimal or 0x-hex; window handles are printed as 0x-hex;
// byte strings travel as "x:<hex>" ("x:" is empty, "-" means none/any).
// Answers are "OK ..." or "ERR <reason>"; key=value pairs where a command returns a record.
//
// Commands (see each file for details):
//   ping | acp | quit
//   windows.cpp: find, info, text, children, child, dlgitem, foreground, post, send, click,
//                command, close, sysclose, show, lclick, rclick, combo, menu
//   remote.cpp:  tabinfo, tabrect, tabclick
//   devices.cpp: regset, regdel, regdelkey, regget, usbadd, usbdel, broadcast
//   process.cpp: start, wait, exitcode, kill, gui
//   pixels.cpp:  pixel, pixels, iconid
//   probe.cpp:   menu (read inside the program by vprobe.dll)
#include "driver.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool g_argError = false;

long long ArgInt(const Args& args, size_t index, long long fallback) {
    if (index >= args.size()) return fallback;
    const std::string& text = args[index];
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0') {
        g_argError = true;
        return fallback;
    }
    return value;
}

HWND ArgHwnd(const Args& args, size_t index) {
    if (index >= args.size()) {
        g_argError = true;
        return nullptr;
    }
    return reinterpret_cast<HWND>(static_cast<intptr_t>(ArgInt(args, index)));
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ArgBytes(const Args& args, size_t index, std::string* bytes) {
    bytes->clear();
    if (index >= args.size() || args[index] == "-") return false;
    const std::string& text = args[index];
    if (text.compare(0, 2, "x:") != 0 || text.size() % 2 != 0) {
        g_argError = true;
        return false;
    }
    for (size_t i = 2; i < text.size(); i += 2) {
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            g_argError = true;
            return false;
        }
        bytes->push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

std::wstring Widen(const std::string& ascii) {
    int length = MultiByteToWideChar(CP_ACP, 0, ascii.data(), static_cast<int>(ascii.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, ascii.data(), static_cast<int>(ascii.size()), &wide[0], length);
    return wide;
}

std::string HexOf(const void* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    std::string out = "x:";
    for (size_t i = 0; i < size; ++i) {
        out.push_back(digits[bytes[i] >> 4]);
        out.push_back(digits[bytes[i] & 15]);
    }
    return out;
}

std::string Hex(const std::string& bytes) { return HexOf(bytes.data(), bytes.size()); }

std::string Num(long long value) { return std::to_string(value); }

std::string HwndText(HWND window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    return text;
}

std::string RectText(const RECT& rect) {
    return Num(rect.left) + "," + Num(rect.top) + "," + Num(rect.right) + "," + Num(rect.bottom);
}

static std::string Ping(const Args&) { return Ok("vdriver"); }
static std::string Acp(const Args&) { return Ok(Num(GetACP()) + " " + Num(GetOEMCP())); }

static const CommandEntry kBasicCommands[] = {
    {"ping", Ping},
    {"acp", Acp},
    {nullptr, nullptr},
};

static const CommandEntry* const kTables[] = {
    kBasicCommands, kWindowCommands, kRemoteCommands, kDeviceCommands, kProcessCommands, kPixelCommands,
    kProbeCommands,
};

static Args Split(const std::string& line) {
    Args words;
    size_t start = 0;
    while (start < line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string::npos) end = line.size();
        if (end > start) words.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

static std::string Dispatch(const Args& words) {
    if (words.empty()) return Err("empty command");
    const Args args(words.begin() + 1, words.end());
    for (const CommandEntry* table : kTables) {
        for (const CommandEntry* entry = table; entry->name; ++entry) {
            if (words[0] != entry->name) continue;
            g_argError = false;
            std::string reply = entry->run(args);
            return g_argError ? Err("bad argument") : reply;
        }
    }
    return Err("unknown command " + words[0]);
}

static bool ReadLine(std::string* line) {
    line->clear();
    int c;
    while ((c = std::getchar()) != EOF) {
        if (c == '\n') return true;
        if (c != '\r') line->push_back(static_cast<char>(c));
    }
    return !line->empty();
}

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    // The programs this driver starts must not inherit its pipes.
    SetHandleInformation(GetStdHandle(STD_INPUT_HANDLE), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(GetStdHandle(STD_OUTPUT_HANDLE), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(GetStdHandle(STD_ERROR_HANDLE), HANDLE_FLAG_INHERIT, 0);
    std::string line;
    std::fputs("OK ready\n", stdout);
    std::fflush(stdout);
    while (ReadLine(&line)) {
        Args words = Split(line);
        if (!words.empty() && words[0] == "quit") {
            std::fputs("OK bye\n", stdout);
            std::fflush(stdout);
            break;
        }
        std::string reply = Dispatch(words);
        for (char& c : reply)
            if (c == '\n' || c == '\r') c = ' ';
        reply.push_back('\n');
        std::fwrite(reply.data(), 1, reply.size(), stdout);
        std::fflush(stdout);
    }
    return 0;
}
