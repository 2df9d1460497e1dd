// Starting the program under test and watching its process: exit code, handle and GUI object counts.
#include "driver.h"

#include <tlhelp32.h>

#include <map>

static std::map<DWORD, HANDLE> g_started;  // processes this driver started, by pid

HANDLE ProcessHandleFor(DWORD pid) {
    auto found = g_started.find(pid);
    if (found != g_started.end()) return found->second;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION | PROCESS_VM_READ |
                                     PROCESS_VM_WRITE | SYNCHRONIZE | PROCESS_TERMINATE,
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

// gui PID: gdi=N user=N handles=N (GetGuiResources and GetProcessHandleCount).
static std::string Gui(const Args& args) {
    HANDLE process = ProcessHandleFor(static_cast<DWORD>(ArgInt(args, 0)));
    if (!process) return Err("no such process");
    DWORD handles = 0;
    if (!GetProcessHandleCount(process, &handles)) handles = static_cast<DWORD>(-1);
    return Ok("gdi=" + Num(GetGuiResources(process, GR_GDIOBJECTS)) +
              " user=" + Num(GetGuiResources(process, GR_USEROBJECTS)) + " handles=" + Num(handles));
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
