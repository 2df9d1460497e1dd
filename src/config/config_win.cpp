#include "app/message.h"
#include "config/config.h"
#include "config/uitext.h"

bool SaveConfig() {
    if (WriteConfigFile(kConfigFileName)) return true;
    // The new value stays in effect for this run; the next start reads the old file.
    Report(UiText[TextSaveFailed], IconWarning);
    return false;
}
