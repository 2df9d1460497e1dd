// SPDX-License-Identifier: Apache-2.0
#include <windows.h>
#include <shellapi.h>

#include "gui/app.h"
#include "gui/message.h"
#include "gui/texts.h"
#include "gui/controls.h"
#include "gui/help.h"
#include "gui/menus.h"

// The menu bar, the right-click Quit menu, the About dialogs and the help file.

HMENU g_languageMenu = nullptr;

namespace {

// The Language items read the same in both languages ("Русский" in code page 1251).
constexpr const char* kRussianItem = "Русский";
constexpr const char* kEnglishItem = "English";

// About dialog resources, one per language.
constexpr int kAboutRussianId = 1;
constexpr int kAboutEnglishId = 2;
constexpr INT_PTR kAboutClosedByOk = 1;
constexpr INT_PTR kAboutClosedByCancel = 2;

constexpr int kHelpMessageSize = 512;

UINT_PTR CommandId(int id) { return static_cast<UINT_PTR>(id); }
UINT_PTR Submenu(HMENU menu) { return reinterpret_cast<UINT_PTR>(menu); }

}  // namespace

void BuildMenuBar() {
    HMENU bar = CreateMenu();
    HMENU file = CreateMenu();
    HMENU tools = CreateMenu();
    HMENU help = CreateMenu();
    g_languageMenu = CreatePopupMenu();

    AppendMenuA(file, MF_STRING, CommandId(IdQuit), UiText[TextItemQuit]);

    AppendMenuA(g_languageMenu, MF_STRING, CommandId(IdRussian), kRussianItem);
    AppendMenuA(g_languageMenu, MF_STRING, CommandId(IdEnglish), kEnglishItem);
    if (g_uiLanguage == kRussian) CheckMenuItem(g_languageMenu, IdRussian, MF_BYCOMMAND | MF_CHECKED);
    else if (g_uiLanguage == kEnglish) CheckMenuItem(g_languageMenu, IdEnglish, MF_BYCOMMAND | MF_CHECKED);

    AppendMenuA(tools, MF_POPUP, Submenu(g_languageMenu), UiText[TextMenuLanguage]);
    AppendMenuA(tools, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(tools, MF_STRING, CommandId(IdReadId), UiText[TextItemReadId]);

    AppendMenuA(help, MF_STRING, CommandId(IdHelp), UiText[TextItemHelp]);
    AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(help, MF_STRING, CommandId(IdAbout), UiText[TextItemAbout]);

    AppendMenuA(bar, MF_POPUP, Submenu(file), UiText[TextMenuFile]);
    AppendMenuA(bar, MF_POPUP, Submenu(tools), UiText[TextMenuTools]);
    AppendMenuA(bar, MF_POPUP, Submenu(help), UiText[TextMenuHelp]);
    SetMenu(g_mainWindow, bar);
}

// Destroying the bar destroys its submenus too, the old Language menu included.
void RebuildMenuBar() {
    DestroyMenu(GetMenu(g_mainWindow));
    BuildMenuBar();
}

void ShowQuitContextMenu(LPARAM lParam) {
    // The click point in client coordinates, both words taken unsigned.
    POINT point = {static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, CommandId(IdQuit), UiText[TextItemQuit]);
    ClientToScreen(g_mainWindow, &point);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, point.x, point.y, 0, g_mainWindow, nullptr);
    DestroyMenu(menu);
}

void ShowAboutDialog() {
    int resource = 0;
    if (g_uiLanguage == kRussian) resource = kAboutRussianId;
    else if (g_uiLanguage == kEnglish) resource = kAboutEnglishId;
    else return;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), g_mainWindow, AboutDialogProc, 0);
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;  // the system puts the focus on OK
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) EndDialog(dialog, kAboutClosedByOk);
        else if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, kAboutClosedByCancel);  // Esc or the close box
        return TRUE;
    default:
        return FALSE;
    }
}

void ReportHelpResult(INT_PTR r) {
    switch (ClassifyHelpResult(r)) {
    case HelpOpened:
        break;
    case HelpNotFound:
        Report(UiText[TextHelpNotFound], IconError);
        Report(UiText[TextHelpFolderHint], IconQuestion);
        break;
    case HelpNoViewer:
        Report(UiText[TextHelpCannotOpen], IconWarning);
        Report(UiText[TextPdfViewerHint], IconQuestion);
        break;
    case HelpFailed: {
        char text[kHelpMessageSize];
        FormatHelpFailure(text, sizeof text, UiText[TextHelpOpenFailed], UiText[TextErrorCode], r);
        Report(text, IconError);
        break;
    }
    }
}

// The path is relative: the "help" folder is looked for under the working directory.
void OpenHelpFile() {
    HINSTANCE result = ShellExecuteA(g_mainWindow, "open", kHelpFilePath, nullptr, nullptr, SW_RESTORE);
    ReportHelpResult(reinterpret_cast<INT_PTR>(result));
}
