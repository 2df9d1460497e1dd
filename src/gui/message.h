// SPDX-License-Identifier: Apache-2.0
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

// True while a box of the program is up. A box's own message loop keeps running the main
// window's timers, and the code that showed it goes on when it closes: the hot-plug settle step
// waits meanwhile (it could otherwise start a search that the code after the box does not
// expect). Every box of the program is bracketed by BeginMessageBox and EndMessageBox; the
// last box to close lets a held-back settle step run.
bool MessageBoxShowing();
void BeginMessageBox();
void EndMessageBox();

// The common call: owner the main window, caption from the text table, MB_OK.
int Report(const char* text, MessageIcon icon);
