// SPDX-License-Identifier: Apache-2.0
#include <windows.h>
#include <commctrl.h>

#include "gui/app.h"
#include "core/setting_table.h"
#include "gui/texts.h"
#include "gui/controls.h"
#include "gui/menus.h"

// The main window's controls. Every one is a child of the main window: the two reader
// pages are sibling controls laid over the tab control's display area, not tab pages.
// No control is given a font; all keep the system's default.

MainControls g_controls;

namespace {

constexpr int kFixedText = -1;  // the row's text is a literal, the same in both languages

constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
constexpr DWORD kPushButton = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
// Page controls are created hidden; the page defaults show one page.
constexpr DWORD kPageGroupBox = WS_CHILD | WS_GROUP | BS_GROUPBOX;
constexpr DWORD kPageRadio = WS_CHILD | BS_AUTORADIOBUTTON;
// The card-for-read group stands on both pages and is never hidden.
constexpr DWORD kSharedGroupBox = WS_CHILD | WS_VISIBLE | WS_GROUP | BS_GROUPBOX;
constexpr DWORD kSharedRadio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;

struct ControlRow {
    const char* className;
    int id;           // 0 for controls without one (group boxes, the tab control)
    int textId;       // UiTextId, or kFixedText
    const char* text; // used when textId is kFixedText
    DWORD style;
    int x, y, width, height;
    HWND* slot;
};

MainControls& c = g_controls;

// A setting radio, in slot c.radio[id]: its caption is its choice's in the setting table.
constexpr int kChoiceCaption = -2;
constexpr ControlRow SettingRadio(int id, DWORD style, int x, int y, int width, int height) {
    return ControlRow{"Button", id, kChoiceCaption, nullptr, style, x, y, width, height, &g_controls.radio[id]};
}

const char* RowText(const ControlRow& row) {
    if (row.textId == kFixedText) return row.text;
    if (row.textId != kChoiceCaption) return UiText[row.textId];
    RadioPlace place{};
    if (!FindRadio(row.id, &place)) return "";
    return ChoiceCaption(*place.choice, g_uiLanguage);
}

// Rows 1 to 4: port list, SEARCH and the version line.
const ControlRow kTopRows[] = {
    {"Combobox", IdPortCombo, kFixedText, "", kVisible | CBS_DROPDOWNLIST, 10, 10, 150, 200, &c.portCombo},
    {"Button", IdSearch, TextSearch, nullptr, kPushButton, 180, 10, 140, 40, &c.search},
    {"Static", IdVersionLabel, TextVersion, nullptr, kVisible | SS_LEFT, 10, 39, 60, 20, &c.versionLabel},
    {"Static", IdVersionValue, kFixedText, "x.xx", kVisible | SS_LEFT, 70, 39, 40, 20, &c.versionValue},
};

// Rows 6 to 39: the groups of both pages, interleaved as they are created. WS_GROUP on
// each box (and on READ after the last radio) is what makes the radios after a box one
// group of mutually exclusive choices, so the order here matters.
const ControlRow kPageRows[] = {
    {"Button", 0, TextGroupInterfaces, nullptr, kPageGroupBox, 20, 100, 290, 110, &c.groupInterfaces},
    SettingRadio(IdTouchMemory, kPageRadio, 30, 120, 120, 20),
    SettingRadio(IdWiegand26, kPageRadio, 30, 141, 120, 20),
    SettingRadio(IdWiegand44, kPageRadio, 30, 162, 120, 20),
    SettingRadio(IdWiegand58, kPageRadio, 30, 183, 120, 20),
    {"Button", 0, TextGroupOperatingMode, nullptr, kPageGroupBox, 20, 100, 290, 70, &c.groupOperatingMode},
    SettingRadio(IdModeWindows, kPageRadio, 30, 120, 95, 20),
    SettingRadio(IdModeAll, kPageRadio, 30, 141, 180, 20),
    {"Button", 0, TextGroupIndicationControl, nullptr, kPageGroupBox, 20, 220, 290, 70, &c.groupIndicationControl},
    SettingRadio(IdDirect, kPageRadio, 30, 240, 190, 20),
    SettingRadio(IdInverse, kPageRadio, 30, 261, 190, 20),
    {"Button", 0, TextGroupOutputFormat, nullptr, kPageGroupBox, 20, 180, 290, 70, &c.groupOutputFormat},
    SettingRadio(IdHexOrDec, kPageRadio, 30, 200, 120, 20),
    SettingRadio(IdFormatTouchMemory, kPageRadio, 30, 221, 120, 20),
    {"Button", 0, TextGroupStandby, nullptr, kPageGroupBox, 20, 300, 290, 90, &c.groupStandby},
    SettingRadio(IdDynamic, kPageRadio, 30, 320, 120, 20),
    SettingRadio(IdStatic, kPageRadio, 30, 341, 120, 20),
    SettingRadio(IdStandbyOff, kPageRadio, 30, 362, 60, 20),
    {"Button", 0, TextGroupOutputType, nullptr, kPageGroupBox, 20, 260, 290, 70, &c.groupOutputType},
    SettingRadio(IdHex, kPageRadio, 30, 280, 70, 20),
    SettingRadio(IdDec, kPageRadio, 30, 301, 70, 20),
    {"Button", 0, TextGroupTouchPoll, nullptr, kPageGroupBox, 20, 400, 290, 70, &c.groupTouchPoll},
    SettingRadio(IdPollOn, kPageRadio, 30, 420, 60, 20),
    SettingRadio(IdPollOff, kPageRadio, 30, 441, 60, 20),
    {"Button", 0, TextGroupByteCount, nullptr, kPageGroupBox, 20, 340, 290, 130, &c.groupByteCount},
    SettingRadio(IdBytes7, kPageRadio, 30, 360, 60, 20),
    SettingRadio(IdBytes5, kPageRadio, 30, 381, 60, 20),
    SettingRadio(IdBytes4, kPageRadio, 30, 402, 60, 20),
    SettingRadio(IdBytes3, kPageRadio, 30, 423, 60, 20),
    SettingRadio(IdBytes2, kPageRadio, 30, 444, 60, 20),
    {"Button", 0, TextGroupCardForRead, nullptr, kSharedGroupBox, 20, 480, 290, 90, &c.groupCardForRead},
    SettingRadio(IdCardsAll, kSharedRadio, 30, 500, 240, 20),
    SettingRadio(IdCardsEmHid, kSharedRadio, 30, 521, 120, 20),
    SettingRadio(IdCardsMifare, kSharedRadio, 30, 542, 120, 20),
};

// Rows 40 to 42: READ closes the last radio group with its WS_GROUP.
const ControlRow kBottomRows[] = {
    {"Button", IdRead, TextRead, nullptr, kPushButton | WS_GROUP, 10, 590, 140, 40, &c.read},
    {"Button", IdWrite, TextWrite, nullptr, kPushButton, 180, 590, 140, 40, &c.write},
    {"Button", 0, TextIndic, nullptr, kSharedGroupBox, 330, 60, 50, 520, &c.indicFrame},
};

void CreateRows(const ControlRow* rows, int count) {
    for (int i = 0; i < count; ++i) {
        const ControlRow& row = rows[i];
        *row.slot = CreateWindowExA(0, row.className, RowText(row), row.style, row.x, row.y, row.width, row.height,
                                    g_mainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), nullptr,
                                    nullptr);
    }
}

template <int N>
void CreateRows(const ControlRow (&rows)[N]) { CreateRows(rows, N); }

// True for a row whose text is the same in both languages.
bool FixedText(const ControlRow& row) {
    if (row.textId == kFixedText) return true;
    RadioPlace place{};
    return row.textId == kChoiceCaption && (!FindRadio(row.id, &place) || place.choice->textId == kFixedCaption);
}

template <int N>
void RelabelRows(const ControlRow (&rows)[N]) {
    for (const ControlRow& row : rows)
        if (!FixedText(row)) SendMessageA(*row.slot, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(RowText(row)));
}

constexpr int kTabX = 10, kTabY = 60, kTabWidth = 310, kTabHeight = 520;
// The blanks around the USB tab's text widen that tab; both texts never change.
constexpr const char* kTabTexts[] = {"Vireo-4KRU_M", "  Vireo-4-USB   "};
constexpr int kNoImage = -1;

}  // namespace

void CreateReaderTabs() {
    INITCOMMONCONTROLSEX init = {};
    init.dwSize = sizeof init;
    init.dwICC = ICC_TAB_CLASSES;
    InitCommonControlsEx(&init);

    c.tabs = CreateWindowExA(0, WC_TABCONTROLA, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, kTabX, kTabY,
                             kTabWidth, kTabHeight, g_mainWindow, nullptr, nullptr, nullptr);
    for (int index = 0; index < 2; ++index) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.iImage = kNoImage;
        item.pszText = const_cast<char*>(kTabTexts[index]);
        SendMessageA(c.tabs, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
    }
    if (g_readerFamily == kKruKrm || g_readerFamily == kUsb) SendMessageA(c.tabs, TCM_SETCURSEL, g_readerFamily, 0);
}

void RelabelMainControls() {
    RelabelRows(kTopRows);
    RelabelRows(kPageRows);
    RelabelRows(kBottomRows);
}

void CreateMainControls() {
    c.main = g_mainWindow;
    BuildMenuBar();
    CreateRows(kTopRows);
    CreateReaderTabs();
    CreateRows(kPageRows);
    if (g_readerFamily == kKruKrm) ApplyKruKrmDefaults();
    else if (g_readerFamily == kUsb) ApplyUsbDefaults();
    CreateRows(kBottomRows);
}
