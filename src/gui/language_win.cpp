// SPDX-License-Identifier: Apache-2.0
#include <windows.h>

#include "gui/app.h"
#include "gui/texts.h"
#include "gui/language.h"
#include "gui/controls.h"
#include "gui/menus.h"

void RelabelControls() {
    FillUiText();
    SendMessageA(g_controls.main, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(UiText[TextTitle]));
    RelabelMainControls();
}

// Choosing the language already in use runs every step as well: the file is rewritten
// and the menu rebuilt. The session, the radios, the lamps and the version stay as they are.
void SwitchLanguage(int language) {
    CheckMenuItem(g_languageMenu, IdRussian, MF_BYCOMMAND | (language == kRussian ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(g_languageMenu, IdEnglish, MF_BYCOMMAND | (language == kEnglish ? MF_CHECKED : MF_UNCHECKED));
    g_uiLanguage = language;
    FillUiText();  // so that a failed save already warns in the new language
    SaveConfig();  // a failure shows its warning box; the switch goes on
    RelabelControls();
    RebuildMenuBar();
}
