#include "config/language.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
#include "config/config.h"
void RelabelControls() {}
void SwitchLanguage(int language) { g_uiLanguage = language; }
