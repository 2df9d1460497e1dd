// SPDX-License-Identifier: Apache-2.0
// Wine keeps menus private to the process that made them (GetMenuItemCount on another
// process's menu fails), so the driver loads vprobe.dll into the program and runs the probe's
// routine there on a thread of its own (CreateRemoteThread), reading the answer back from the
// program's memory. The program's own threads and state are left alone.
#include "driver.h"

#include <tlhelp32.h>

#include <cstring>

namespace {

constexpr SIZE_T kBlockSize = 64 * 1024;
constexpr DWORD kProbeWaitMs = 10000;
const char kProbeName[] = "vprobe.dll";

// Shared with vprobe.dll: a 16-byte header, then the answer text.
struct ProbeBlockHeader {
    HWND window;
    DWORD capacity;
    DWORD reserved;
};

std::string ProbePath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/") + 1) + kProbeName;
}

// Base address of a module (by file name) in another process, or null.
char* RemoteModule(DWORD pid, const char* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    char* base = nullptr;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szModule, name) == 0) base = reinterpret_cast<char*>(entry.modBaseAddr);
    CloseHandle(snapshot);
    return base;
}

bool RunRemote(HANDLE process, void* routine, void* parameter, DWORD* exitCode) {
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(routine),
                                       parameter, 0, nullptr);
    if (!thread) return false;
    bool done = WaitForSingleObject(thread, kProbeWaitMs) == WAIT_OBJECT_0;
    if (done && exitCode) GetExitCodeThread(thread, exitCode);
    CloseHandle(thread);
    return done;
}

// Loads the probe into the process when it is not there yet; answers its base address there.
char* EnsureProbe(HANDLE process, DWORD pid, std::string* error) {
    if (char* base = RemoteModule(pid, kProbeName)) return base;
    std::string path = ProbePath();
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    char* remoteKernel = RemoteModule(pid, "kernel32.dll");
    if (!remoteKernel) {
        *error = "kernel32 not found in the program";
        return nullptr;
    }
    char* loadLibrary = remoteKernel + (reinterpret_cast<char*>(GetProcAddress(kernel, "LoadLibraryA")) -
                                        reinterpret_cast<char*>(kernel));
    void* remotePath = VirtualAllocEx(process, nullptr, path.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remotePath || !WriteProcessMemory(process, remotePath, path.c_str(), path.size() + 1, nullptr)) {
        *error = "cannot write into the program";
        return nullptr;
    }
    bool ran = RunRemote(process, loadLibrary, remotePath, nullptr);
    if (ran) VirtualFreeEx(process, remotePath, 0, MEM_RELEASE);
    char* base = RemoteModule(pid, kProbeName);
    if (!base) *error = "the program did not load " + path;
    return base;
}

// Runs the probe's exported routine in the program with a block for `window`; the routine
// writes its whole answer line into the block.
std::string CallProbe(HWND window, const char* routineName) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = ProcessHandleFor(pid);
    if (!process) return Err("no access to the program");
    std::string error;
    char* remoteBase = EnsureProbe(process, pid, &error);
    if (!remoteBase) return Err(error);
    HMODULE local = LoadLibraryExA(ProbePath().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!local) return Err("cannot load the probe here");
    char* localRoutine = reinterpret_cast<char*>(GetProcAddress(local, routineName));
    SIZE_T offset = localRoutine - reinterpret_cast<char*>(local);
    FreeLibrary(local);
    if (!localRoutine) return Err(std::string("no routine ") + routineName);
    char* block = static_cast<char*>(VirtualAllocEx(process, nullptr, kBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!block) return Err("cannot allocate in the program");
    ProbeBlockHeader header{window, static_cast<DWORD>(kBlockSize - sizeof header), 0};
    WriteProcessMemory(process, block, &header, sizeof header, nullptr);
    if (!RunRemote(process, remoteBase + offset, block, nullptr)) return Err("the probe did not finish");
    std::string answer(kBlockSize - sizeof header, '\0');
    ReadProcessMemory(process, block + sizeof header, &answer[0], answer.size(), nullptr);
    VirtualFreeEx(process, block, 0, MEM_RELEASE);
    answer.resize(std::strlen(answer.c_str()));
    return answer;
}

}  // namespace

// menu HWND: "OK" and one token per item of the window's menu bar: PATH:ID:STATE:TYPE:SUBMENU:x:TEXT
// (PATH like 1.0.1; STATE: MFS_CHECKED 0x8, MFS_GRAYED/DISABLED 0x3; TYPE: MFT_SEPARATOR 0x800;
// SUBMENU 1 when the item opens a submenu).
static std::string Menu(const Args& args) {
    HWND window = ArgHwnd(args, 0);
    if (!IsWindow(window)) return Err("no window");
    return CallProbe(window, "ProbeMenu");
}

const CommandEntry kProbeCommands[] = {
    {"menu", Menu},
    {nullptr, nullptr},
};
