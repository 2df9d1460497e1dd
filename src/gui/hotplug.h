// SPDX-License-Identifier: Apache-2.0
#pragma once
// Reacting to devices appearing and disappearing.
#include <windows.h>

constexpr UINT kSettleDelayMs = 2000;
constexpr DWORD kReopenPauseMs = 1000;
// A held-back settle step is resumed through the settle timer at its shortest interval.
constexpr UINT kResumeSettleDelayMs = USER_TIMER_MINIMUM;

// WM_DEVICECHANGE: the first DBT_DEVNODES_CHANGED arms the settle timer; later ones wait for it.
void OnDeviceChange(WPARAM event);
// Timer 4: the settle step, or its deferral while a search, read or write is under way.
void OnSettleTimer();

// A search, read or write is under way while its popup shows and while a tick of timers 1 to 3
// runs (the last tick runs the operation's second half, with its message boxes). The dispatcher
// brackets every such tick with these two calls; a settle step that falls due meanwhile waits,
// so it can neither put a second popup over the first nor disturb the shared tick count.
void BeginProgressTick();
void EndProgressTick();
// Runs a settle step that was held back, once nothing is under way any more.
void RunDeferredSettleStep();
// The program's last message box has closed. A settle step held back by it runs from the
// message loop, once the handler that showed the box has returned: that handler may go on to
// start a search (a tab change does), and the step then waits for that search too.
void ResumeSettleStepAfterMessages();
