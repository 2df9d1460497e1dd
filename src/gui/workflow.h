// SPDX-License-Identifier: Apache-2.0
#pragma once
// Search, read and write: the progress popup, its timers and the session reset.

enum ProgressKind : int { ProgressSearch = 1, ProgressRead = 2, ProgressWrite = 3 };
constexpr int kSearchIntervalMs = 10;
constexpr int kSettleTimerId = 4;

void StartProgress(int kind, int intervalMs);
void ResetSession();
void SendSettingsQuery();
void SendWriteCommand(const char* command, int length);
void OpenSelectedPort();
void RunSearch();
// Timers 1, 2 and 3.
void OnProgressTimer(int timerId);
// True while a progress popup is showing (one of timers 1 to 3 is running).
bool ProgressShowing();
// Main window commands.
void OnPortComboCommand(int notification);
void OnSearchCommand();
void OnReadCommand();
void OnWriteCommand();
