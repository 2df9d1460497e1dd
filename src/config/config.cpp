#include "config/config.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
int g_uiLanguage = kRussian;
int g_readerFamily = kKruKrm;
void LoadConfig() {}
bool WriteConfigFile(const char*) { return false; }
