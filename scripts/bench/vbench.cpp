// SPDX-License-Identifier: Apache-2.0
// vbench: the Windows side of scripts/bench_performance.py, run under Wine in the benchmark's
// prefix. It times process starts with the performance counter inside Wine, so the pipe to the
// Linux side adds nothing to the figures, and it reads a process's memory counters.
//
//   vbench empty EXE RUNS                 ms from CreateProcess to the exit of EXE, per run
//   vbench window EXE CWD CLASS RUNS      ms from CreateProcess until a visible top-level window
//                                         of CLASS belongs to the new process; then WM_CLOSE
//                                         and the wait for its exit (not timed)
//   vbench memory PID                     peak and current working set, private bytes (bytes)
//
// Output: one line per run, "run N MS", or "memory peak=B current=B private=B".
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kExitWaitMs = 15000;
constexpr DWORD kWindowWaitMs = 30000;

double Now(LARGE_INTEGER frequency) {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool Start(const char* exe, const char* cwd, PROCESS_INFORMATION* info) {
    char commandLine[MAX_PATH + 3];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\"", exe);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, cwd, &startup, info) != 0;
}

struct WindowSearch {
    DWORD pid;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    if (owner == search->pid && IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) &&
        std::strcmp(name, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

int Empty(const char* exe, int runs, LARGE_INTEGER frequency) {
    for (int run = 1; run <= runs; ++run) {
        PROCESS_INFORMATION info{};
        double started = Now(frequency);
        if (!Start(exe, nullptr, &info)) return std::printf("error start %lu\n", GetLastError()), 1;
        WaitForSingleObject(info.hProcess, kExitWaitMs);
        double ended = Now(frequency);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        std::printf("run %d %.2f\n", run, ended - started);
    }
    return 0;
}

int Window(const char* exe, const char* cwd, const char* className, int runs, LARGE_INTEGER frequency) {
    for (int run = 1; run <= runs; ++run) {
        PROCESS_INFORMATION info{};
        double started = Now(frequency);
        if (!Start(exe, cwd, &info)) return std::printf("error start %lu\n", GetLastError()), 1;
        WindowSearch search{info.dwProcessId, className, nullptr};
        double shown = 0;
        while (Now(frequency) - started < kWindowWaitMs) {
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            if (search.found) {
                shown = Now(frequency);
                break;
            }
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) break;
            Sleep(1);
        }
        if (search.found) PostMessageA(search.found, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(info.hProcess, kExitWaitMs) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        if (!search.found) return std::printf("error no window\n"), 1;
        std::printf("run %d %.2f\n", run, shown - started);
    }
    return 0;
}

int Memory(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return std::printf("error open %lu\n", GetLastError()), 1;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    BOOL ok = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    CloseHandle(process);
    if (!ok) return std::printf("error memory %lu\n", GetLastError()), 1;
    std::printf("memory peak=%llu current=%llu private=%llu\n",
                static_cast<unsigned long long>(counters.PeakWorkingSetSize),
                static_cast<unsigned long long>(counters.WorkingSetSize),
                static_cast<unsigned long long>(counters.PrivateUsage));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    int result = 2;
    if (argc == 4 && std::strcmp(argv[1], "empty") == 0) result = Empty(argv[2], std::atoi(argv[3]), frequency);
    else if (argc == 6 && std::strcmp(argv[1], "window") == 0)
        result = Window(argv[2], argv[3], argv[4], std::atoi(argv[5]), frequency);
    else if (argc == 3 && std::strcmp(argv[1], "memory") == 0) result = Memory(std::strtoul(argv[2], nullptr, 0));
    else std::fprintf(stderr, "usage: vbench empty EXE RUNS | window EXE CWD CLASS RUNS | memory PID\n");
    std::fflush(stdout);
    return result;
}
