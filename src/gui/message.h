#pragma once
// Every report to the user: one OK button, caption "Message", one of the program's icons.
#include <windows.h>

enum MessageIcon : unsigned {
    IconSuccess = 3,
    IconWarning = 4,
    IconError = 5,
    IconQuestion = 6,
    IconRetry = 7,
};

int ShowMessage(HWND owner, const char* text, const char* caption, UINT style, unsigned iconId);

// The common call: owner the main window, caption from the text table, MB_OK.
int Report(const char* text, MessageIcon icon);
