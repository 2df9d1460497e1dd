#include "config/config.h"
#include "config/language.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
bool SaveConfig() { return WriteConfigFile(kConfigFileName); }
void RelabelControls() {}
void SwitchLanguage(int language) { g_uiLanguage = language; }
