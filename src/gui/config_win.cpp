// SPDX-License-Identifier: Apache-2.0
#include "gui/message.h"
#include "gui/texts.h"

bool SaveConfig() {
    if (WriteConfigFile(kConfigFileName, AppConfig{g_uiLanguage, g_readerFamily})) return true;
    // The new value stays in effect for this run; the next start reads the old file.
    Report(UiText[TextSaveFailed], IconWarning);
    return false;
}
