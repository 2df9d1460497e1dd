#include "session/workflow.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
void StartProgress(int, int) {}
void ResetSession() {}
void SendSettingsQuery() {}
void SendWriteCommand(const char*, int) {}
void OpenSelectedPort() {}
void RunSearch() {}
void OnProgressTimer(int) {}
void OnPortComboCommand(int) {}
void OnSearchCommand() {}
void OnReadCommand() {}
void OnWriteCommand() {}
