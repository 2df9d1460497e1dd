// SPDX-License-Identifier: Apache-2.0
// Loaded into the program's process by vcount.exe: counts the process's own GDI objects, USER
// objects and kernel handles from inside, because Wine answers GetGuiResources and
// GetProcessHandleCount with 0 for another process. Each count is the exit code of a thread
// that vcount starts at Count with the kind of count as its parameter.
#include <windows.h>

namespace {

// GDI and USER handles carry their table index in the low 16 bits; Windows and Wine both
// accept the 16-bit form. Kernel handles are multiples of 4.
constexpr ULONG_PTR kFirstObjectHandle = 0x20;
constexpr ULONG_PTR kLastObjectHandle = 0xFFFF;
constexpr ULONG_PTR kLastKernelHandle = 0x10000;

DWORD CountGdi() {
    DWORD official = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (official) return official;
    DWORD count = 0;
    for (ULONG_PTR h = kFirstObjectHandle; h <= kLastObjectHandle; ++h)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(h))) ++count;
    return count;
}

DWORD CountUser() {
    DWORD official = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (official) return official;
    // The window handle table is shared by every process under Wine: count this process's own.
    const DWORD self = GetCurrentProcessId();
    DWORD count = 0;
    for (ULONG_PTR h = kFirstObjectHandle; h <= kLastObjectHandle; h += 2) {
        HANDLE handle = reinterpret_cast<HANDLE>(h);
        if (IsMenu(static_cast<HMENU>(handle))) {
            ++count;
        } else if (IsWindow(static_cast<HWND>(handle))) {
            DWORD owner = 0;
            GetWindowThreadProcessId(static_cast<HWND>(handle), &owner);
            if (owner == self) ++count;
        }
    }
    return count;
}

DWORD CountHandles() {
    DWORD official = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &official) && official) return official;
    DWORD count = 0, flags = 0;
    for (ULONG_PTR h = 4; h <= kLastKernelHandle; h += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++count;
    return count;
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI Count(LPVOID what) {
    switch (reinterpret_cast<ULONG_PTR>(what)) {
    case 0: return CountGdi();
    case 1: return CountUser();
    case 2: return CountHandles();
    default: return 0xFFFFFFFF;
    }
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
