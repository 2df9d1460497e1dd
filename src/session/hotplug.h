#pragma once
// Reacting to devices appearing and disappearing.
#include <windows.h>

void OnDeviceChange(WPARAM event);
void OnSettleTimer();
