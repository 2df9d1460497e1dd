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
    {"Button", IdTouchMemory, kFixedText, kCaptionTouchMemory, kPageRadio, 30, 120, 120, 20, &c.radio[IdTouchMemory]},
    {"Button", IdWiegand26, kFixedText, kCaptionWiegand26, kPageRadio, 30, 141, 120, 20, &c.radio[IdWiegand26]},
    {"Button", IdWiegand44, kFixedText, kCaptionWiegand44, kPageRadio, 30, 162, 120, 20, &c.radio[IdWiegand44]},
    {"Button", IdWiegand58, kFixedText, kCaptionWiegand58, kPageRadio, 30, 183, 120, 20, &c.radio[IdWiegand58]},
    {"Button", 0, TextGroupOperatingMode, nullptr, kPageGroupBox, 20, 100, 290, 70, &c.groupOperatingMode},
    {"Button", IdModeWindows, kFixedText, kCaptionWindows, kPageRadio, 30, 120, 95, 20, &c.radio[IdModeWindows]},
    {"Button", IdModeAll, kFixedText, kCaptionAllSystems, kPageRadio, 30, 141, 180, 20, &c.radio[IdModeAll]},
    {"Button", 0, TextGroupIndicationControl, nullptr, kPageGroupBox, 20, 220, 290, 70, &c.groupIndicationControl},
    {"Button", IdDirect, TextDirect, nullptr, kPageRadio, 30, 240, 190, 20, &c.radio[IdDirect]},
    {"Button", IdInverse, TextInverse, nullptr, kPageRadio, 30, 261, 190, 20, &c.radio[IdInverse]},
    {"Button", 0, TextGroupOutputFormat, nullptr, kPageGroupBox, 20, 180, 290, 70, &c.groupOutputFormat},
    {"Button", IdHexOrDec, TextHexOrDec, nullptr, kPageRadio, 30, 200, 120, 20, &c.radio[IdHexOrDec]},
    {"Button", IdFormatTouchMemory, kFixedText, kCaptionTouchMemory, kPageRadio, 30, 221, 120, 20,
     &c.radio[IdFormatTouchMemory]},
    {"Button", 0, TextGroupStandby, nullptr, kPageGroupBox, 20, 300, 290, 90, &c.groupStandby},
    {"Button", IdDynamic, TextDynamic, nullptr, kPageRadio, 30, 320, 120, 20, &c.radio[IdDynamic]},
    {"Button", IdStatic, TextStatic, nullptr, kPageRadio, 30, 341, 120, 20, &c.radio[IdStatic]},
    {"Button", IdStandbyOff, TextStandbyOff, nullptr, kPageRadio, 30, 362, 60, 20, &c.radio[IdStandbyOff]},
    {"Button", 0, TextGroupOutputType, nullptr, kPageGroupBox, 20, 260, 290, 70, &c.groupOutputType},
    {"Button", IdHex, kFixedText, kCaptionHex, kPageRadio, 30, 280, 70, 20, &c.radio[IdHex]},
    {"Button", IdDec, kFixedText, kCaptionDec, kPageRadio, 30, 301, 70, 20, &c.radio[IdDec]},
    {"Button", 0, TextGroupTouchPoll, nullptr, kPageGroupBox, 20, 400, 290, 70, &c.groupTouchPoll},
    {"Button", IdPollOn, TextPollOn, nullptr, kPageRadio, 30, 420, 60, 20, &c.radio[IdPollOn]},
    {"Button", IdPollOff, TextPollOff, nullptr, kPageRadio, 30, 441, 60, 20, &c.radio[IdPollOff]},
    {"Button", 0, TextGroupByteCount, nullptr, kPageGroupBox, 20, 340, 290, 130, &c.groupByteCount},
    {"Button", IdBytes7, kFixedText, kCaptionBytes7, kPageRadio, 30, 360, 60, 20, &c.radio[IdBytes7]},
    {"Button", IdBytes5, kFixedText, kCaptionBytes5, kPageRadio, 30, 381, 60, 20, &c.radio[IdBytes5]},
    {"Button", IdBytes4, kFixedText, kCaptionBytes4, kPageRadio, 30, 402, 60, 20, &c.radio[IdBytes4]},
    {"Button", IdBytes3, kFixedText, kCaptionBytes3, kPageRadio, 30, 423, 60, 20, &c.radio[IdBytes3]},
    {"Button", IdBytes2, kFixedText, kCaptionBytes2, kPageRadio, 30, 444, 60, 20, &c.radio[IdBytes2]},
    {"Button", 0, TextGroupCardForRead, nullptr, kSharedGroupBox, 20, 480, 290, 90, &c.groupCardForRead},
    {"Button", IdCardsAll, kFixedText, kCaptionAllCards, kSharedRadio, 30, 500, 240, 20,
     &c.radio[IdCardsAll]},
    {"Button", IdCardsEmHid, kFixedText, kCaptionEmHidCards, kSharedRadio, 30, 521, 120, 20, &c.radio[IdCardsEmHid]},
    {"Button", IdCardsMifare, kFixedText, kCaptionMifareCards, kSharedRadio, 30, 542, 120, 20, &c.radio[IdCardsMifare]},
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
        const char* text = row.textId == kFixedText ? row.text : UiText[row.textId];
        *row.slot = CreateWindowExA(0, row.className, text, row.style, row.x, row.y, row.width, row.height,
                                    g_mainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), nullptr,
                                    nullptr);
    }
}

template <int N>
void CreateRows(const ControlRow (&rows)[N]) { CreateRows(rows, N); }

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
