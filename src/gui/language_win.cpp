#include <windows.h>

#include "gui/app.h"
#include "gui/texts.h"
#include "gui/language.h"
#include "gui/controls.h"
#include "gui/menus.h"

namespace {

struct Relabel {
    HWND* window;
    UiTextId text;
};

MainControls& c = g_controls;

// Both pages are relabelled, shown or hidden. Radio captions that are not language
// dependent, the tabs, the port list and the version value keep their texts.
const Relabel kRelabels[] = {
    {&c.main, TextTitle},
    {&c.search, TextSearch},
    {&c.versionLabel, TextVersion},
    {&c.groupInterfaces, TextGroupInterfaces},
    {&c.groupOperatingMode, TextGroupOperatingMode},
    {&c.groupIndicationControl, TextGroupIndicationControl},
    {&c.radio[IdDirect], TextDirect},
    {&c.radio[IdInverse], TextInverse},
    {&c.groupOutputFormat, TextGroupOutputFormat},
    {&c.radio[IdHexOrDec], TextHexOrDec},
    {&c.groupStandby, TextGroupStandby},
    {&c.radio[IdDynamic], TextDynamic},
    {&c.radio[IdStatic], TextStatic},
    {&c.radio[IdStandbyOff], TextStandbyOff},
    {&c.groupOutputType, TextGroupOutputType},
    {&c.groupTouchPoll, TextGroupTouchPoll},
    {&c.radio[IdPollOn], TextPollOn},
    {&c.radio[IdPollOff], TextPollOff},
    {&c.groupByteCount, TextGroupByteCount},
    {&c.groupCardForRead, TextGroupCardForRead},
    {&c.read, TextRead},
    {&c.write, TextWrite},
    {&c.indicFrame, TextIndic},
};

}  // namespace

void RelabelControls() {
    FillUiText();
    for (const Relabel& r : kRelabels)
        SendMessageA(*r.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(UiText[r.text]));
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
