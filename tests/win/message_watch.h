// SPDX-License-Identifier: Apache-2.0
#pragma once
// Answers the program's message boxes from a second thread, as a user pressing OK would, and
// records their texts in order, so that code which reports to the user can run in a test.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class MessageWatch {
public:
    MessageWatch();
    ~MessageWatch();
    std::vector<std::string> Texts();

private:
    void Run();
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> texts_;
    std::thread thread_;
};

// This process's visible message box ("#32770"), or nullptr.
HWND FindOwnBox();
// The icon a message box shows, or nullptr.
HICON BoxIcon(HWND box);
// The handle of the program's icon resource id, as a box shows it.
HICON ProgramIcon(unsigned id);

// Runs the thread's messages until done() is true or timeoutMs passed; returns done().
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(1);
    }
    return true;
}
