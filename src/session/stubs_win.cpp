#include "session/hotplug.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
void OnDeviceChange(WPARAM) {}
void OnSettleTimer() {}
