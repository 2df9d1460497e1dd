// SPDX-License-Identifier: Apache-2.0
// vcount PID: prints "gdi=N user=N handles=N" for the process PID, counted inside it by
// vcount_counter.dll (loaded there with a remote LoadLibraryA; its Count runs as a remote
// thread whose exit code is the count). The DLL has a fixed base, so Count lies at the same
// address in both processes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

DWORD RunRemote(HANDLE process, LPTHREAD_START_ROUTINE start, LPVOID parameter) {
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, start, parameter, 0, nullptr);
    if (!thread) return 0xFFFFFFFF;
    WaitForSingleObject(thread, 60000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vcount PID\n");
        return 2;
    }
    const DWORD pid = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
    char dll[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, dll, MAX_PATH);
    char* slash = std::strrchr(dll, '\\');
    if (!length || !slash) return 3;
    std::strcpy(slash + 1, "vcount_counter.dll");

    HMODULE local = LoadLibraryA(dll);
    FARPROC count = local ? GetProcAddress(local, "Count") : nullptr;
    if (!count) {
        std::printf("ERR cannot load %s\n", dll);
        return 4;
    }
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!process) {
        std::printf("ERR cannot open process %lu\n", static_cast<unsigned long>(pid));
        return 5;
    }
    // The DLL's path in the program's memory, then LoadLibraryA there.
    const SIZE_T size = std::strlen(dll) + 1;
    void* remotePath = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remotePath || !WriteProcessMemory(process, remotePath, dll, size, nullptr)) {
        std::printf("ERR cannot write into process\n");
        return 6;
    }
    auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    const DWORD base = RunRemote(process, loadLibrary, remotePath);
    VirtualFreeEx(process, remotePath, 0, MEM_RELEASE);
    if (base != static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(local))) {
        std::printf("ERR the counter loaded at %08lx there, %p here\n", static_cast<unsigned long>(base),
                    static_cast<void*>(local));
        return 7;
    }
    auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(count));
    const DWORD gdi = RunRemote(process, start, reinterpret_cast<LPVOID>(0));
    const DWORD user = RunRemote(process, start, reinterpret_cast<LPVOID>(1));
    const DWORD handles = RunRemote(process, start, reinterpret_cast<LPVOID>(2));
    CloseHandle(process);
    std::printf("gdi=%lu user=%lu handles=%lu\n", static_cast<unsigned long>(gdi), static_cast<unsigned long>(user),
                static_cast<unsigned long>(handles));
    return 0;
}
