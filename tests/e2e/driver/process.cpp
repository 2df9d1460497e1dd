// SPDX-License-Identifier: Apache-2.0
// Starting the program under test and watching its process: exit code, handle and GUI object counts.
#include "driver.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <map>
#include <vector>

static std::map<DWORD, HANDLE> g_started;  // processes this driver started, by pid

HANDLE ProcessHandleFor(DWORD pid) {
    auto found = g_started.find(pid);
    if (found != g_started.end()) return found->second;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION | PROCESS_VM_READ |
                                     PROCESS_VM_WRITE | PROCESS_CREATE_THREAD | SYNCHRONIZE | PROCESS_TERMINATE,
                                 FALSE, pid);
    if (process) g_started[pid] = process;
    return process;
}

// start EXE_PATH CWD [COMMAND_LINE]: all as x:hex Windows paths; answers the new pid.
// The program gets NUL as its standard handles, never this driver's pipes.
static std::string Start(const Args& args) {
    std::string exe, cwd, commandLine;
    ArgBytes(args, 0, &exe);
    ArgBytes(args, 1, &cwd);
    if (!ArgBytes(args, 2, &commandLine)) commandLine = "\"" + exe + "\"";
    if (g_argError) return Err("bad argument");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nulIn = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    HANDLE nulOut = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nulIn;
    startup.hStdOutput = nulOut;
    startup.hStdError = nulOut;
    PROCESS_INFORMATION info{};
    BOOL started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  cwd.empty() ? nullptr : cwd.c_str(), &startup, &info);
    DWORD error = GetLastError();
    CloseHandle(nulIn);
    CloseHandle(nulOut);
    if (!started) return Err("CreateProcess failed " + Num(error));
    CloseHandle(info.hThread);
    g_started[info.dwProcessId] = info.hProcess;
    return Ok(Num(info.dwProcessId));
}

static std::string ExitState(HANDLE process, DWORD waitMs) {
    if (WaitForSingleObject(process, waitMs) != WAIT_OBJECT_0) return Ok("running");
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return Ok("exited " + Num(code));
}

// wait PID TIMEOUT_MS: "OK exited CODE" or "OK running" when the time ran out.
static std::string Wait(const Args& args) {
    HANDLE process = ProcessHandleFor(static_cast<DWORD>(ArgInt(args, 0)));
    if (!process) return Err("no such process");
    return ExitState(process, static_cast<DWORD>(ArgInt(args, 1, 0)));
}

static std::string Kill(const Args& args) {
    HANDLE process = ProcessHandleFor(static_cast<DWORD>(ArgInt(args, 0)));
    if (!process) return Err("no such process");
    TerminateProcess(process, static_cast<UINT>(ArgInt(args, 1, 1)));
    return ExitState(process, 5000);
}

namespace {

// Wine answers 0 to GetGuiResources and GetProcessHandleCount for other processes, so the
// counts are taken where Wine keeps them: each process's GDI handle table (pointed to by its
// PEB, 24-byte entries whose type byte is non-zero while in use), the system handle list, and
// the windows the process owns.
constexpr SIZE_T kPebGdiTableOffset = 0xF8;
constexpr int kGdiHandleCount = 0x10000;
constexpr ULONG kSystemHandleInformation = 16;

struct GdiEntry {
    unsigned long long object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    unsigned long long user;
};

struct SystemHandleEntry {
    ULONG ownerPid;
    UCHAR objectType;
    UCHAR flags;
    USHORT value;
    void* object;
    ACCESS_MASK access;
};

long long GdiObjects(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return -1;
    GdiEntry* table = nullptr;
    if (!ReadProcessMemory(process, reinterpret_cast<char*>(basic.PebBaseAddress) + kPebGdiTableOffset, &table,
                           sizeof table, nullptr) || !table)
        return -1;
    std::vector<GdiEntry> entries(kGdiHandleCount);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiEntry), nullptr)) return -1;
    long long used = 0;
    for (const GdiEntry& entry : entries)
        if (entry.type) ++used;
    return used;
}

long long KernelHandles(DWORD pid) {
    std::vector<char> buffer(1 << 20);
    for (int attempt = 0; attempt < 6; ++attempt) {
        ULONG needed = 0;
        LONG status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(kSystemHandleInformation),
                                               buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
            const SystemHandleEntry* entries =
                reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(void*));
            long long owned = 0;
            for (ULONG i = 0; i < count; ++i)
                if (entries[i].ownerPid == pid) ++owned;
            return owned;
        }
        buffer.resize(buffer.size() * 2 + needed);
    }
    return -1;
}

struct WindowCount {
    DWORD pid;
    long long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM data) {
    ++reinterpret_cast<WindowCount*>(data)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM data) {
    WindowCount* counter = reinterpret_cast<WindowCount*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != counter->pid) return TRUE;
    ++counter->count;
    EnumChildWindows(window, CountChild, data);
    return TRUE;
}

}  // namespace

// gui PID: gdi=N (GDI objects in use, stock objects included) windows=N (windows the process
// owns, children included) handles=N (kernel handles) gdi_api=N user_api=N (what
// GetGuiResources answers: 0 under Wine). -1 where a count cannot be read.
static std::string Gui(const Args& args) {
    DWORD pid = static_cast<DWORD>(ArgInt(args, 0));
    HANDLE process = ProcessHandleFor(pid);
    if (!process) return Err("no such process");
    WindowCount windows{pid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    return Ok("gdi=" + Num(GdiObjects(process)) + " windows=" + Num(windows.count) +
              " handles=" + Num(KernelHandles(pid)) + " gdi_api=" + Num(GetGuiResources(process, GR_GDIOBJECTS)) +
              " user_api=" + Num(GetGuiResources(process, GR_USEROBJECTS)));
}

// pids EXE_NAME: every running process with this file name (x:hex), in snapshot order.
static std::string Pids(const Args& args) {
    std::string name;
    ArgBytes(args, 0, &name);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return Err("no snapshot");
    std::string out;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, name.c_str()) != 0) continue;
        if (!out.empty()) out += ' ';
        out += Num(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return Ok(out);
}

const CommandEntry kProcessCommands[] = {
    {"start", Start},
    {"wait", Wait},
    {"exitcode", Wait},
    {"kill", Kill},
    {"gui", Gui},
    {"pids", Pids},
    {nullptr, nullptr},
};
