// SPDX-License-Identifier: Apache-2.0
// The main window's controls under a real window system: the control table, the tabs,
// the pages with their defaults, the radio groups and the reactions to clicks.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>
#include <strings.h>

#include "gui/app.h"
#include "gui/texts.h"
#include "gui/texts.h"
#include "gui/session.h"
#include "gui/controls.h"
#include "gui/lamps.h"
#include "win/ui_window.h"

namespace {

constexpr DWORD V = WS_VISIBLE;
constexpr DWORD kBox = WS_CHILD | WS_GROUP | BS_GROUPBOX;
constexpr DWORD kRadio = WS_CHILD | BS_AUTORADIOBUTTON;
constexpr int kNoText = -2;
constexpr int kFixed = -1;

struct Row {
    int id;
    const char* cls;
    int textId;  // UiTextId, kFixed (text below) or kNoText
    const char* text;
    DWORD style;
    int x, y, w, h;
};

// The control table, row by row in creation order, written out independently of the code.
const Row kTable[] = {
    {1, "Combobox", kFixed, "", WS_CHILD | V | CBS_DROPDOWNLIST, 10, 10, 150, 200},
    {2, "Button", TextSearch, nullptr, WS_CHILD | V, 180, 10, 140, 40},
    {33, "Static", TextVersion, nullptr, WS_CHILD | V, 10, 39, 60, 20},
    {34, "Static", kFixed, "x.xx", WS_CHILD | V, 70, 39, 40, 20},
    {0, "SysTabControl32", kNoText, nullptr, WS_CHILD | V | WS_CLIPSIBLINGS, 10, 60, 310, 520},
    {0, "Button", TextGroupInterfaces, nullptr, kBox, 20, 100, 290, 110},
    {3, "Button", kFixed, "Touch Memory", kRadio, 30, 120, 120, 20},
    {4, "Button", kFixed, "Wiegand 26", kRadio, 30, 141, 120, 20},
    {5, "Button", kFixed, "Wiegand 44", kRadio, 30, 162, 120, 20},
    {6, "Button", kFixed, "Wiegand 58", kRadio, 30, 183, 120, 20},
    {0, "Button", TextGroupOperatingMode, nullptr, kBox, 20, 100, 290, 70},
    {22, "Button", kFixed, "WINDOWS", kRadio, 30, 120, 95, 20},
    {23, "Button", kFixed, "Windows, Linux, MacOS", kRadio, 30, 141, 180, 20},
    {0, "Button", TextGroupIndicationControl, nullptr, kBox, 20, 220, 290, 70},
    {7, "Button", TextDirect, nullptr, kRadio, 30, 240, 190, 20},
    {8, "Button", TextInverse, nullptr, kRadio, 30, 261, 190, 20},
    {0, "Button", TextGroupOutputFormat, nullptr, kBox, 20, 180, 290, 70},
    {24, "Button", TextHexOrDec, nullptr, kRadio, 30, 200, 120, 20},
    {25, "Button", kFixed, "Touch Memory", kRadio, 30, 221, 120, 20},
    {0, "Button", TextGroupStandby, nullptr, kBox, 20, 300, 290, 90},
    {9, "Button", TextDynamic, nullptr, kRadio, 30, 320, 120, 20},
    {10, "Button", TextStatic, nullptr, kRadio, 30, 341, 120, 20},
    {11, "Button", TextStandbyOff, nullptr, kRadio, 30, 362, 60, 20},
    {0, "Button", TextGroupOutputType, nullptr, kBox, 20, 260, 290, 70},
    {26, "Button", kFixed, "HEX", kRadio, 30, 280, 70, 20},
    {27, "Button", kFixed, "DEC", kRadio, 30, 301, 70, 20},
    {0, "Button", TextGroupTouchPoll, nullptr, kBox, 20, 400, 290, 70},
    {12, "Button", TextPollOn, nullptr, kRadio, 30, 420, 60, 20},
    {13, "Button", TextPollOff, nullptr, kRadio, 30, 441, 60, 20},
    {0, "Button", TextGroupByteCount, nullptr, kBox, 20, 340, 290, 130},
    {28, "Button", kFixed, "7", kRadio, 30, 360, 60, 20},
    {29, "Button", kFixed, "5", kRadio, 30, 381, 60, 20},
    {30, "Button", kFixed, "4", kRadio, 30, 402, 60, 20},
    {31, "Button", kFixed, "3", kRadio, 30, 423, 60, 20},
    {32, "Button", kFixed, "2", kRadio, 30, 444, 60, 20},
    {0, "Button", TextGroupCardForRead, nullptr, WS_CHILD | V | WS_GROUP | BS_GROUPBOX, 20, 480, 290, 90},
    {35, "Button", kFixed, "HID, EM-Marine + MIFARE, Pay", WS_CHILD | V | BS_AUTORADIOBUTTON, 30, 500, 240, 20},
    {36, "Button", kFixed, "HID, EM-Marine", WS_CHILD | V | BS_AUTORADIOBUTTON, 30, 521, 120, 20},
    {37, "Button", kFixed, "MIFARE, Pay", WS_CHILD | V | BS_AUTORADIOBUTTON, 30, 542, 120, 20},
    {14, "Button", TextRead, nullptr, WS_CHILD | V | WS_GROUP, 10, 590, 140, 40},
    {15, "Button", TextWrite, nullptr, WS_CHILD | V, 180, 590, 140, 40},
    {0, "Button", TextIndic, nullptr, WS_CHILD | V | WS_GROUP | BS_GROUPBOX, 330, 60, 50, 520},
};
constexpr int kRows = sizeof kTable / sizeof kTable[0];

const int kKruKrmRadios[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
const int kUsbRadios[] = {22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
const int kCardRadios[] = {35, 36, 37};

HWND Item(int id) { return GetDlgItem(g_mainWindow, id); }
bool Checked(int id) { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool Enabled(int id) { return IsWindowEnabled(Item(id)) != FALSE; }
bool Visible(HWND w) { return IsWindowVisible(w) != FALSE; }
bool Visible(int id) { return Visible(Item(id)); }

void Click(int id) {
    SendMessageA(Item(id), BM_CLICK, 0, 0);
    PumpMessages();
}

// Every radio id with its expected check state; ids not listed must be unchecked.
void CheckOnly(std::initializer_list<int> checked, const int* ids, int count) {
    for (int i = 0; i < count; ++i) {
        const bool expected = std::find(checked.begin(), checked.end(), ids[i]) != checked.end();
        INFO("radio " << ids[i]);
        CHECK(Checked(ids[i]) == expected);
    }
}

void CheckLamps(LampColor a, LampColor b, LampColor c, LampColor d, LampColor e) {
    CHECK(g_lampColors[0] == a);
    CHECK(g_lampColors[1] == b);
    CHECK(g_lampColors[2] == c);
    CHECK(g_lampColors[3] == d);
    CHECK(g_lampColors[4] == e);
}

}  // namespace

TEST_CASE("every control of the main window is created as the control table says") {
    for (int language : {kRussian, kEnglish}) {
        CAPTURE(language);
        CreationRecorder recorder;
        CreateTestMainWindow(kKruKrm, language, &recorder);
        REQUIRE(recorder.created.size() == static_cast<size_t>(kRows));
        for (int i = 0; i < kRows; ++i) {
            const Row& row = kTable[i];
            const CreatedWindow& w = recorder.created[i];
            INFO("row " << i + 1 << " id " << row.id);
            CHECK(strcasecmp(w.className.c_str(), row.cls) == 0);
            CHECK(w.id == row.id);
            CHECK(w.style == row.style);
            CHECK(w.exStyle == 0u);
            CHECK(w.x == row.x);
            CHECK(w.y == row.y);
            CHECK(w.width == row.w);
            CHECK(w.height == row.h);
            if (row.textId == kNoText) {
                CHECK_FALSE(w.hasText);
            } else {
                const char* expected = row.textId == kFixed ? row.text : UiTextIn(language, static_cast<UiTextId>(row.textId));
                CHECK(w.text == expected);
            }
            // Siblings of the tab control, never its children; no control gets a font.
            CHECK(GetParent(w.window) == g_mainWindow);
            if (strcasecmp(row.cls, "SysTabControl32") != 0)
                CHECK(SendMessageA(w.window, WM_GETFONT, 0, 0) == 0);
        }
    }
    DestroyTestMainWindow();
}

TEST_CASE("the reachable handles match the created controls") {
    CreationRecorder recorder;
    CreateTestMainWindow(kUsb, kEnglish, &recorder);
    REQUIRE(recorder.created.size() == static_cast<size_t>(kRows));
    const MainControls& c = g_controls;
    CHECK(c.main == g_mainWindow);
    const HWND inOrder[] = {c.portCombo, c.search, c.versionLabel, c.versionValue, c.tabs, c.groupInterfaces};
    for (int i = 0; i < 6; ++i) CHECK(inOrder[i] == recorder.created[i].window);
    CHECK(c.groupOperatingMode == recorder.created[10].window);
    CHECK(c.groupIndicationControl == recorder.created[13].window);
    CHECK(c.groupOutputFormat == recorder.created[16].window);
    CHECK(c.groupStandby == recorder.created[19].window);
    CHECK(c.groupOutputType == recorder.created[23].window);
    CHECK(c.groupTouchPoll == recorder.created[26].window);
    CHECK(c.groupByteCount == recorder.created[29].window);
    CHECK(c.groupCardForRead == recorder.created[35].window);
    CHECK(c.read == recorder.created[39].window);
    CHECK(c.write == recorder.created[40].window);
    CHECK(c.indicFrame == recorder.created[41].window);
    for (const CreatedWindow& w : recorder.created)
        if (w.id >= IdTouchMemory && w.id < kRadioSlots && w.id != IdRead && w.id != IdWrite &&
            !(w.id >= IdQuit && w.id <= IdAbout) && w.id != IdVersionLabel && w.id != IdVersionValue)
            CHECK(c.radio[w.id] == w.window);
    DestroyTestMainWindow();
}

TEST_CASE("the tab control carries two fixed tabs and selects the stored family") {
    for (int family : {kKruKrm, kUsb}) {
        for (int language : {kRussian, kEnglish}) {
            CreateTestMainWindow(family, language);
            HWND tabs = g_controls.tabs;
            REQUIRE(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0) == 2);
            const char* expected[] = {"Vireo-4KRU_M", "  Vireo-4-USB   "};
            for (int i = 0; i < 2; ++i) {
                char text[64] = {};
                TCITEMA item = {};
                item.mask = TCIF_TEXT | TCIF_IMAGE;
                item.pszText = text;
                item.cchTextMax = sizeof text;
                REQUIRE(SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item)));
                CHECK(std::strcmp(text, expected[i]) == 0);
                CHECK(item.iImage == -1);
            }
            CHECK(SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == family);
        }
    }
    DestroyTestMainWindow();
}

TEST_CASE("start-up on the KRU/KRM tab shows its page with its defaults") {
    CreateTestMainWindow(kKruKrm, kRussian);
    for (int id : kKruKrmRadios) {
        INFO("radio " << id);
        CHECK(Visible(id));
        CHECK(Enabled(id) == (id != IdWiegand58));
    }
    for (int id : kUsbRadios) {
        INFO("radio " << id);
        CHECK_FALSE(Visible(id));
    }
    for (int id : kCardRadios) {
        CHECK(Visible(id));
        CHECK_FALSE(Enabled(id));
    }
    CHECK(Visible(g_controls.groupCardForRead));
    CHECK_FALSE(IsWindowEnabled(g_controls.groupCardForRead));
    CheckOnly({3, 7, 11, 13}, kKruKrmRadios, 11);
    CheckOnly({35}, kCardRadios, 3);
    CheckLamps(kRed, kRed, kMagenta, kYellow, kWhite);
    const HWND kruBoxes[] = {g_controls.groupInterfaces, g_controls.groupIndicationControl, g_controls.groupStandby,
                             g_controls.groupTouchPoll};
    const HWND usbBoxes[] = {g_controls.groupOperatingMode, g_controls.groupOutputFormat, g_controls.groupOutputType,
                             g_controls.groupByteCount};
    for (HWND box : kruBoxes) CHECK(Visible(box));
    for (HWND box : usbBoxes) CHECK_FALSE(Visible(box));
    DestroyTestMainWindow();
}

TEST_CASE("start-up on the USB tab shows its page with its defaults") {
    CreateTestMainWindow(kUsb, kEnglish);
    for (int id : kUsbRadios) {
        INFO("radio " << id);
        CHECK(Visible(id));
        CHECK(Enabled(id) == (id != IdBytes7));
    }
    for (int id : kKruKrmRadios) {
        INFO("radio " << id);
        CHECK_FALSE(Visible(id));
    }
    for (int id : kCardRadios) {
        CHECK(Visible(id));
        CHECK(Enabled(id));
    }
    CHECK(IsWindowEnabled(g_controls.groupCardForRead));
    CheckOnly({22, 24, 26, 29}, kUsbRadios, 11);
    CheckOnly({35}, kCardRadios, 3);
    CheckLamps(kCyan, kWhite, kWhite, kWhite, kWhite);
    DestroyTestMainWindow();
}

TEST_CASE("every page call leaves Wiegand 58 and 7 disabled") {
    CreateTestMainWindow(kKruKrm, kEnglish);
    for (int command : {SW_SHOW, SW_HIDE}) {
        EnableWindow(Item(IdWiegand58), TRUE);
        ShowKruKrmPage(command);
        CHECK_FALSE(Enabled(IdWiegand58));
        CHECK(Visible(IdTouchMemory) == (command == SW_SHOW));
        EnableWindow(Item(IdBytes7), TRUE);
        ShowUsbPage(command);
        CHECK_FALSE(Enabled(IdBytes7));
        CHECK(Visible(IdBytes2) == (command == SW_SHOW));
    }
    // The never-hidden controls stay whatever the pages do.
    ShowKruKrmPage(SW_HIDE);
    ShowUsbPage(SW_HIDE);
    for (HWND w : {g_controls.portCombo, g_controls.search, g_controls.versionLabel, g_controls.versionValue,
                   g_controls.tabs, g_controls.groupCardForRead, g_controls.read, g_controls.write,
                   g_controls.indicFrame})
        CHECK(Visible(w));
    DestroyTestMainWindow();
}

TEST_CASE("auto radios form one group per box on the shown page") {
    struct Group { std::vector<int> ids; };
    for (int family : {kKruKrm, kUsb}) {
        CreateTestMainWindow(family, kEnglish);
        // Above firmware 1.10 "Touch Memory" leaves the byte count alone.
        g_session.firmwareVersion = 200;
        EnableWindow(g_controls.groupCardForRead, TRUE);
        const std::vector<Group> groups = family == kKruKrm
            ? std::vector<Group>{{{3, 4, 5, 6}}, {{7, 8}}, {{9, 10, 11}}, {{12, 13}}, {{35, 36, 37}}}
            : std::vector<Group>{{{22, 23}}, {{24, 25}}, {{26, 27}}, {{28, 29, 30, 31, 32}}, {{35, 36, 37}}};
        for (const Group& group : groups) {
            for (int clicked : group.ids) {
                // The other groups keep their choices.
                std::vector<std::pair<int, bool>> others;
                for (const Group& g : groups)
                    if (&g != &group)
                        for (int id : g.ids) others.push_back({id, Checked(id)});
                for (const Group& g : groups)
                    for (int id : g.ids) EnableWindow(Item(id), TRUE);
                Click(clicked);
                INFO("family " << family << " clicked " << clicked);
                for (int id : group.ids) CHECK(Checked(id) == (id == clicked));
                for (auto& [id, state] : others) CHECK(Checked(id) == state);
            }
        }
    }
    DestroyTestMainWindow();
}

TEST_CASE("a click on a setting radio sets exactly its lamp") {
    struct Case { int family; int id; int lamp; LampColor color; };
    const Case cases[] = {
        {kKruKrm, 4, 0, kGreen}, {kKruKrm, 5, 0, kCyan},   {kKruKrm, 6, 0, kMagenta}, {kKruKrm, 3, 0, kRed},
        {kKruKrm, 8, 1, kBlue},  {kKruKrm, 7, 1, kRed},    {kKruKrm, 9, 2, kRed},     {kKruKrm, 10, 2, kGreen},
        {kKruKrm, 11, 2, kMagenta}, {kKruKrm, 12, 3, kRed}, {kKruKrm, 13, 3, kYellow},
        {kUsb, 23, 0, kMagenta}, {kUsb, 22, 0, kCyan},
    };
    for (const Case& k : cases) {
        CreateTestMainWindow(k.family, kEnglish);
        EnableWindow(Item(IdWiegand58), TRUE);
        LampColor before[kLampCount];
        std::memcpy(before, g_lampColors, sizeof before);
        // Start from a colour no radio gives, so that a no-op cannot pass.
        g_lampColors[k.lamp] = 0x00123456;
        before[k.lamp] = k.color;
        Click(k.id);
        INFO("radio " << k.id);
        for (int i = 0; i < kLampCount; ++i) CHECK(g_lampColors[i] == before[i]);
    }
    DestroyTestMainWindow();
}

TEST_CASE("USB radios other than the operating mode and the card radios leave every lamp") {
    CreateTestMainWindow(kUsb, kEnglish);
    EnableWindow(Item(IdBytes7), TRUE);
    for (int id : {24, 25, 26, 27, 28, 29, 30, 31, 32, 35, 36, 37}) {
        for (LampColor& color : g_lampColors) color = 0x00010203;
        EnableWindow(Item(IdHex), TRUE);
        EnableWindow(Item(IdDec), TRUE);
        SendMessageA(g_mainWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
        INFO("radio " << id);
        for (LampColor color : g_lampColors) CHECK(color == 0x00010203u);
    }
    DestroyTestMainWindow();
}

TEST_CASE("HEX or DEC offers 7 bytes only to the USB reader from firmware 1.10") {
    struct Case { int firmware; char model; const char* cached; bool sevenEnabled; int checkedBytes; };
    const Case cases[] = {
        {110, 'B', "1.10WHDH7EM", true, 28},  // the cached digit picks the choice
        {200, 'B', "2.00ATMX3XM", true, 31},
        {110, 'B', "1.10WHDH6EM", true, 29},  // no 6-byte choice: the selection stays
        {110, 'B', "", true, 29},             // nothing cached: the selection stays
        {109, 'B', "1.09WHDH7EM", false, 29},
        {100, 'B', "1.00WHDH7EM", false, 29},
        {110, 'M', "1.10WHDH7EM", false, 29},
        {200, 'X', "2.00WHDH7EM", false, 29},
    };
    for (const Case& k : cases) {
        CreateTestMainWindow(kUsb, kEnglish);
        g_session.firmwareVersion = k.firmware;
        g_session.modelLetter = k.model;
        std::memset(g_session.cachedSettings, 0, sizeof g_session.cachedSettings);
        std::strncpy(g_session.cachedSettings, k.cached, sizeof g_session.cachedSettings - 1);
        EnableWindow(Item(IdHex), FALSE);
        EnableWindow(Item(IdDec), FALSE);
        Click(IdHexOrDec);
        INFO("firmware " << k.firmware << " model " << k.model << " cached " << k.cached);
        CHECK(Enabled(IdHex));
        CHECK(Enabled(IdDec));
        CHECK(Enabled(IdBytes7) == k.sevenEnabled);
        for (int id = IdBytes7; id <= IdBytes2; ++id) CHECK(Checked(id) == (id == k.checkedBytes));
        CheckLamps(kCyan, kWhite, kWhite, kWhite, kWhite);
    }
    DestroyTestMainWindow();
}

TEST_CASE("Touch Memory takes 7 bytes away up to firmware 1.10 only") {
    struct Case { int firmware; char model; bool sevenEnabledAfter; int checkedAfter; };
    const Case cases[] = {
        {100, 'B', false, 29},
        {110, 'B', false, 29},
        {110, 'U', false, 29},  // whatever the model letter
        {111, 'B', true, 28},   // above 1.10 "7" stays as it was
        {200, 'B', true, 28},
    };
    for (const Case& k : cases) {
        CreateTestMainWindow(kUsb, kEnglish);
        g_session.firmwareVersion = k.firmware;
        g_session.modelLetter = k.model;
        EnableWindow(Item(IdBytes7), TRUE);
        CheckRadioButton(g_mainWindow, IdBytes7, IdBytes2, IdBytes7);
        Click(IdFormatTouchMemory);
        INFO("firmware " << k.firmware);
        CHECK_FALSE(Enabled(IdHex));
        CHECK_FALSE(Enabled(IdDec));
        CHECK(Enabled(IdBytes7) == k.sevenEnabledAfter);
        for (int id = IdBytes7; id <= IdBytes2; ++id) CHECK(Checked(id) == (id == k.checkedAfter));
    }
    // With another choice checked, Touch Memory leaves the choice alone.
    CreateTestMainWindow(kUsb, kEnglish);
    g_session.firmwareVersion = 110;
    CheckRadioButton(g_mainWindow, IdBytes7, IdBytes2, IdBytes3);
    Click(IdFormatTouchMemory);
    CHECK(Checked(IdBytes3));
    CHECK_FALSE(Checked(IdBytes5));
    DestroyTestMainWindow();
}

TEST_CASE("a tab change applies the other page's defaults and forgets the choices") {
    CreateTestMainWindow(kKruKrm, kEnglish);
    Click(IdWiegand44);
    Click(IdInverse);
    HWND tabs = g_controls.tabs;
    NMHDR change = {tabs, 0, static_cast<UINT>(TCN_SELCHANGE)};

    SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
    SendMessageA(g_mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    PumpMessages();
    CHECK(g_readerFamily == kUsb);
    CHECK(Visible(IdModeWindows));
    CHECK_FALSE(Visible(IdWiegand44));
    CheckOnly({22, 24, 26, 29}, kUsbRadios, 11);
    CheckLamps(kCyan, kWhite, kWhite, kWhite, kWhite);
    CHECK(Enabled(IdCardsAll));

    SendMessageA(tabs, TCM_SETCURSEL, 0, 0);
    SendMessageA(g_mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    PumpMessages();
    CHECK(g_readerFamily == kKruKrm);
    CheckOnly({3, 7, 11, 13}, kKruKrmRadios, 11);
    CheckLamps(kRed, kRed, kMagenta, kYellow, kWhite);
    CHECK_FALSE(Enabled(IdCardsAll));
    CHECK_FALSE(Enabled(IdWiegand58));

    // Other notifications, and a selection that is neither tab, change nothing.
    Click(IdWiegand26);
    NMHDR other = {tabs, 0, static_cast<UINT>(TCN_SELCHANGING)};
    SendMessageA(g_mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&other));
    SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(-1), 0);
    if (SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == -1) {
        SendMessageA(g_mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
        PumpMessages();
    }
    CHECK(g_readerFamily == kKruKrm);
    CHECK(Checked(IdWiegand26));
    CHECK(g_lampColors[0] == kGreen);
    DestroyTestMainWindow();
}
