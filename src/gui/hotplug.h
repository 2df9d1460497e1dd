#pragma once
// Reacting to devices appearing and disappearing.
#include <windows.h>

constexpr UINT kSettleDelayMs = 2000;
constexpr DWORD kReopenPauseMs = 1000;

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
