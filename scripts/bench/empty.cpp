// SPDX-License-Identifier: Apache-2.0
// The empty Windows program: Wine's own start-up and exit cost, the baseline against which
// the benchmark measures VireoTool-4's start-up.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
