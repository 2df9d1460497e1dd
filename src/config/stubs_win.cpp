#include "config/config.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
bool SaveConfig() { return WriteConfigFile(kConfigFileName); }
