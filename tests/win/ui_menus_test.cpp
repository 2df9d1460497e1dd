// SPDX-License-Identifier: Apache-2.0
// Menus, the language switch, the About dialogs and the help file's boxes, on the real
// main window.
#include <doctest/doctest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "gui/app.h"
#include "gui/message.h"
#include "gui/texts.h"
#include "gui/language.h"
#include "gui/texts.h"
#include "gui/session.h"
#include "gui/controls.h"
#include "gui/lamps.h"
#include "gui/menus.h"
#include "win/ui_window.h"

namespace {

const char* kRussianItem = "\xD0\xF3\xF1\xF1\xEA\xE8\xE9";  // "Русский" in code page 1251

std::string MenuText(HMENU menu, UINT position) {
    char text[128] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

struct ItemInfo {
    UINT type;
    UINT state;
    UINT id;
    HMENU submenu;
};

ItemInfo Item(HMENU menu, UINT position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    GetMenuItemInfoA(menu, position, TRUE, &info);
    return {info.fType, info.fState, info.wID, info.hSubMenu};
}

const char* T(int language, UiTextId id) { return UiTextIn(language, id); }

// The whole menu bar as the given language builds it.
void CheckMenuBar(int language) {
    HMENU bar = GetMenu(g_mainWindow);
    REQUIRE(bar);
    REQUIRE(GetMenuItemCount(bar) == 3);
    CHECK(MenuText(bar, 0) == T(language, TextMenuFile));
    CHECK(MenuText(bar, 1) == T(language, TextMenuTools));
    CHECK(MenuText(bar, 2) == T(language, TextMenuHelp));

    HMENU file = GetSubMenu(bar, 0);
    REQUIRE(GetMenuItemCount(file) == 1);
    CHECK(Item(file, 0).id == IdQuit);
    CHECK(MenuText(file, 0) == T(language, TextItemQuit));

    HMENU tools = GetSubMenu(bar, 1);
    REQUIRE(GetMenuItemCount(tools) == 3);
    HMENU languageMenu = GetSubMenu(tools, 0);
    CHECK(languageMenu == g_languageMenu);
    CHECK(MenuText(tools, 0) == T(language, TextMenuLanguage));
    CHECK((Item(tools, 1).type & MFT_SEPARATOR) != 0);
    CHECK(Item(tools, 2).id == IdReadId);
    CHECK(MenuText(tools, 2) == T(language, TextItemReadId));

    REQUIRE(GetMenuItemCount(languageMenu) == 2);
    CHECK(Item(languageMenu, 0).id == IdRussian);
    CHECK(Item(languageMenu, 1).id == IdEnglish);
    CHECK(MenuText(languageMenu, 0) == kRussianItem);
    CHECK(MenuText(languageMenu, 1) == "English");
    CHECK(((Item(languageMenu, 0).state & MFS_CHECKED) != 0) == (language == kRussian));
    CHECK(((Item(languageMenu, 1).state & MFS_CHECKED) != 0) == (language == kEnglish));

    HMENU help = GetSubMenu(bar, 2);
    REQUIRE(GetMenuItemCount(help) == 3);
    CHECK(Item(help, 0).id == IdHelp);
    CHECK(MenuText(help, 0) == T(language, TextItemHelp));
    CHECK((Item(help, 1).type & MFT_SEPARATOR) != 0);
    CHECK(Item(help, 2).id == IdAbout);
    CHECK(MenuText(help, 2) == T(language, TextItemAbout));
}

// The 23 windows the language switch relabels, with their entries, in order.
struct Relabelled {
    HWND window;
    UiTextId text;
};

std::vector<Relabelled> RelabelledWindows() {
    const MainControls& c = g_controls;
    return {
        {c.main, TextTitle}, {c.search, TextSearch}, {c.versionLabel, TextVersion},
        {c.groupInterfaces, TextGroupInterfaces}, {c.groupOperatingMode, TextGroupOperatingMode},
        {c.groupIndicationControl, TextGroupIndicationControl}, {c.radio[7], TextDirect},
        {c.radio[8], TextInverse}, {c.groupOutputFormat, TextGroupOutputFormat}, {c.radio[24], TextHexOrDec},
        {c.groupStandby, TextGroupStandby}, {c.radio[9], TextDynamic}, {c.radio[10], TextStatic},
        {c.radio[11], TextStandbyOff}, {c.groupOutputType, TextGroupOutputType},
        {c.groupTouchPoll, TextGroupTouchPoll}, {c.radio[12], TextPollOn}, {c.radio[13], TextPollOff},
        {c.groupByteCount, TextGroupByteCount}, {c.groupCardForRead, TextGroupCardForRead},
        {c.read, TextRead}, {c.write, TextWrite}, {c.indicFrame, TextIndic},
    };
}

// Every child's text, to see that nothing but the relabelled windows changes.
std::vector<std::pair<HWND, std::string>> ChildTexts() {
    std::vector<std::pair<HWND, std::string>> texts;
    for (HWND w = GetWindow(g_mainWindow, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        texts.push_back({w, WindowText(w)});
    return texts;
}

std::string ReadFileBytes(const char* path) {
    std::string bytes;
    if (FILE* f = std::fopen(path, "rb")) {
        char buffer[256];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

struct RadioState {
    bool checked, enabled, visible;
};

std::vector<RadioState> Radios() {
    std::vector<RadioState> states;
    for (int id = 0; id < kRadioSlots; ++id) {
        HWND w = g_controls.radio[id];
        if (!w) continue;
        states.push_back({SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED, IsWindowEnabled(w) != FALSE,
                          IsWindowVisible(w) != FALSE});
    }
    return states;
}

bool SameRadios(const std::vector<RadioState>& a, const std::vector<RadioState>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].checked != b[i].checked || a[i].enabled != b[i].enabled || a[i].visible != b[i].visible)
            return false;
    return true;
}

}  // namespace

TEST_CASE("the menu bar is built from the current texts in either language") {
    for (int language : {kRussian, kEnglish}) {
        CAPTURE(language);
        CreateTestMainWindow(kKruKrm, language);
        CheckMenuBar(language);
    }
    // The English Help title and item read the same, the Russian ones differ.
    CHECK(std::strcmp(T(kEnglish, TextMenuHelp), T(kEnglish, TextItemHelp)) == 0);
    CHECK(std::strcmp(T(kRussian, TextMenuHelp), T(kRussian, TextItemHelp)) != 0);
    DestroyTestMainWindow();
}

TEST_CASE("rebuilding the menu bar replaces it and its Language menu") {
    CreateTestMainWindow(kKruKrm, kEnglish);
    HMENU oldBar = GetMenu(g_mainWindow);
    HMENU oldLanguage = g_languageMenu;
    RebuildMenuBar();
    CHECK(GetMenu(g_mainWindow) != oldBar);
    CHECK_FALSE(IsMenu(oldBar));
    CHECK_FALSE(IsMenu(oldLanguage));
    CheckMenuBar(kEnglish);
    DestroyTestMainWindow();
}

TEST_CASE("switching the language relabels the 23 windows and nothing else") {
    for (int from : {kRussian, kEnglish}) {
        const int to = 1 - from;
        CAPTURE(from);
        CreateTestMainWindow(kKruKrm, from);
        // A session and choices that the switch must leave alone.
        g_session.portOpen = true;
        g_session.firmwareVersion = 110;
        g_session.modelLetter = 'M';
        SetWindowTextA(g_controls.versionValue, "1.10");
        CheckRadioButton(g_mainWindow, IdTouchMemory, IdWiegand58, IdWiegand44);
        g_lampColors[0] = kCyan;
        const auto radiosBefore = Radios();
        LampColor lampsBefore[kLampCount];
        std::memcpy(lampsBefore, g_lampColors, sizeof lampsBefore);
        const auto textsBefore = ChildTexts();
        const std::string tab0 = WindowText(g_controls.tabs);

        SendMessageA(g_mainWindow, WM_COMMAND, to == kRussian ? IdRussian : IdEnglish, 0);
        PumpMessages();

        CHECK(g_uiLanguage == to);
        for (const Relabelled& r : RelabelledWindows()) {
            INFO("entry " << r.text);
            CHECK(WindowText(r.window) == T(to, r.text));
        }
        // Every other child keeps its text.
        const auto relabelled = RelabelledWindows();
        for (const auto& [window, text] : textsBefore) {
            bool isRelabelled = false;
            for (const Relabelled& r : relabelled) isRelabelled |= r.window == window;
            if (!isRelabelled) CHECK(WindowText(window) == text);
        }
        CHECK(WindowText(g_controls.versionValue) == "1.10");
        CHECK(WindowText(g_controls.tabs) == tab0);
        CHECK(SameRadios(Radios(), radiosBefore));
        CHECK(std::memcmp(g_lampColors, lampsBefore, sizeof lampsBefore) == 0);
        CHECK(g_session.portOpen);
        CHECK(g_session.firmwareVersion == 110);
        CHECK(g_session.modelLetter == 'M');
        CheckMenuBar(to);
        // The file's first line follows; the second keeps the tab.
        const std::string file = ReadFileBytes(kConfigFileName);
        CHECK(file == std::string(to == kEnglish ? "Language = EN;\r\n" : "Language = RU;\r\n") +
                          "TabCtrl = KRU_KRM;\r\n");
    }
    DestroyTestMainWindow();
}

TEST_CASE("choosing the language already in use still saves and rebuilds") {
    CreateTestMainWindow(kUsb, kEnglish);
    // A file that says otherwise shows the save really runs.
    if (FILE* f = std::fopen(kConfigFileName, "wb")) {
        std::fputs("Language = RU;\r\nTabCtrl = KRU_KRM;\r\n", f);
        std::fclose(f);
    }
    HMENU oldBar = GetMenu(g_mainWindow);
    SetWindowTextA(g_controls.search, "changed");
    SwitchLanguage(kEnglish);
    CHECK(GetMenu(g_mainWindow) != oldBar);
    CHECK_FALSE(IsMenu(oldBar));
    CHECK(WindowText(g_controls.search) == "SEARCH");
    CHECK(ReadFileBytes(kConfigFileName) == "Language = EN;\r\nTabCtrl = USB_USB;\r\n");
    CheckMenuBar(kEnglish);
    DestroyTestMainWindow();
}

TEST_CASE("a language switch whose file cannot be saved warns and goes on") {
    CreateTestMainWindow(kKruKrm, kRussian);
    DeleteFileA(kConfigFileName);
    CreateDirectoryA(kConfigFileName, nullptr);  // a directory of that name cannot be opened as a file
    std::vector<SeenBox> seen;
    {
        BoxWatcher watcher(g_mainWindow);
        SwitchLanguage(kEnglish);
        seen = watcher.Seen();
    }
    RemoveDirectoryA(kConfigFileName);
    REQUIRE(seen.size() == 1);
    // The warning is already in the new language.
    CHECK(seen[0].text == "Failed to save settings!\nRestart the program.");
    CHECK(seen[0].caption == "Message");
    CHECK(seen[0].icon == LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IconWarning)));
    CHECK(g_uiLanguage == kEnglish);
    CHECK(WindowText(g_mainWindow) == "VireoTool-4 ver.2.00 (x64)");
    CheckMenuBar(kEnglish);
    DestroyTestMainWindow();
}

TEST_CASE("the Quit command closes the main window through WM_CLOSE") {
    CreateTestMainWindow(kKruKrm, kEnglish);
    // Keep the window alive but see the close request: a subclass answers WM_CLOSE itself.
    static bool closeSeen;
    static WNDPROC original;
    closeSeen = false;
    original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        g_mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_CLOSE) {
                closeSeen = true;
                return 0;
            }
            return CallWindowProcA(original, w, m, wp, lp);
        })));
    SendMessageA(g_mainWindow, WM_COMMAND, IdQuit, 0);
    CHECK(closeSeen);
    SetWindowLongPtrA(g_mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    DestroyTestMainWindow();
}

TEST_CASE("the About dialog of the current language ends with OK, Esc or the close box") {
    struct Case { int language; WPARAM command; const wchar_t* caption; };
    const Case cases[] = {
        {kRussian, IDOK, L"О программе..."},
        {kRussian, IDCANCEL, L"О программе..."},
        {kEnglish, IDOK, L"About..."},
        {kEnglish, IDCANCEL, L"About..."},
    };
    for (const Case& k : cases) {
        CreateTestMainWindow(kKruKrm, k.language);
        std::vector<SeenBox> seen;
        {
            BoxWatcher watcher(g_mainWindow, k.command);
            SendMessageA(g_mainWindow, WM_COMMAND, IdAbout, 0);
            seen = watcher.Seen();
        }
        INFO("language " << k.language << " command " << k.command);
        REQUIRE(seen.size() == 1);
        // The dialog is made through the 8-bit functions, so its caption passes through the
        // ANSI code page: exact on a code page 1251 system, question marks elsewhere.
        char narrow[64] = {};
        wchar_t expected[64] = {};
        WideCharToMultiByte(CP_ACP, 0, k.caption, -1, narrow, sizeof narrow, nullptr, nullptr);
        MultiByteToWideChar(CP_ACP, 0, narrow, -1, expected, 64);
        CHECK(seen[0].captionW == expected);
    }
    DestroyTestMainWindow();
}

TEST_CASE("the About procedure's answers and results") {
    CreateTestMainWindow(kKruKrm, kEnglish);
    // The dialog's result tells which way it was closed; other commands keep it open.
    struct Case { std::vector<WPARAM> commands; INT_PTR result; };
    const Case cases[] = {{{IDOK}, 1}, {{IDCANCEL}, 2}, {{1234, IDOK}, 1}, {{IDYES, IDCANCEL}, 2}};
    for (const Case& k : cases) {
        std::atomic<bool> done{false};
        std::thread presser([&] {
            HWND dialog = nullptr;
            for (int i = 0; i < 500 && !dialog; ++i) {
                Sleep(10);
                dialog = FindWindowA("#32770", "About...");
            }
            for (WPARAM command : k.commands) {
                SendMessageA(dialog, WM_COMMAND, command, 0);
            }
            done = true;
        });
        const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2), g_mainWindow,
                                               AboutDialogProc, 0);
        presser.join();
        CHECK(result == k.result);
    }
    // A dialog procedure reports what it handled.
    CHECK(AboutDialogProc(nullptr, WM_INITDIALOG, 0, 0) == TRUE);
    CHECK(AboutDialogProc(nullptr, WM_COMMAND, 777, 0) == TRUE);
    CHECK(AboutDialogProc(nullptr, WM_PAINT, 0, 0) == FALSE);
    CHECK(AboutDialogProc(nullptr, WM_CLOSE, 0, 0) == FALSE);
    DestroyTestMainWindow();
}

TEST_CASE("the help file's outcomes give their boxes in order") {
    struct Expected { const char* text; unsigned icon; };
    struct Case { INT_PTR r; std::vector<Expected> boxes; };
    const Case cases[] = {
        {42, {}},
        {2, {{"File not found!\n\rCheck for the presence of the help file (VireoTool-4 ver_2_00.pdf).", IconError},
             {"Open the help folder where the application is installed.\n\rDefault: C:\\VireoTool-4 v.x.x\\help",
              IconQuestion}}},
        {3, {{"File not found!\n\rCheck for the presence of the help file (VireoTool-4 ver_2_00.pdf).", IconError},
             {"Open the help folder where the application is installed.\n\rDefault: C:\\VireoTool-4 v.x.x\\help",
              IconQuestion}}},
        {31, {{"Help file cannot be opened!", IconWarning}, {"Install a PDF viewer on your PC.", IconQuestion}}},
        {5, {{"Opening the help file failed!\n\r[Error code: 5]", IconError}}},
        {0, {{"Opening the help file failed!\n\r[Error code: 0]", IconError}}},
        {32, {{"Opening the help file failed!\n\r[Error code: 32]", IconError}}},
    };
    CreateTestMainWindow(kKruKrm, kEnglish);
    for (const Case& k : cases) {
        std::vector<SeenBox> seen;
        {
            BoxWatcher watcher(g_mainWindow);
            ReportHelpResult(k.r);
            seen = watcher.Seen();
        }
        INFO("r = " << k.r);
        REQUIRE(seen.size() == k.boxes.size());
        for (size_t i = 0; i < seen.size(); ++i) {
            CHECK(seen[i].text == k.boxes[i].text);
            CHECK(seen[i].caption == "Message");
            HICON expected = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(k.boxes[i].icon));
            CHECK(expected != nullptr);
            CHECK(seen[i].icon == expected);
        }
    }
    // The Russian boxes use the Russian texts.
    CreateTestMainWindow(kKruKrm, kRussian);
    std::vector<SeenBox> seen;
    {
        BoxWatcher watcher(g_mainWindow);
        ReportHelpResult(5);
        seen = watcher.Seen();
    }
    REQUIRE(seen.size() == 1);
    CHECK(seen[0].text == std::string(T(kRussian, TextHelpOpenFailed)) + "\n\r[" + T(kRussian, TextErrorCode) + ": 5]");
    DestroyTestMainWindow();
}
