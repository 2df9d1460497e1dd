// SPDX-License-Identifier: Apache-2.0
// Message boxes: the program's own icons, the caption from the text table, one OK button,
// modal to the owner. A watcher thread finds the box, records it and presses OK.
#include <doctest/doctest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "gui/app.h"
#include "gui/message.h"
#include "gui/texts.h"
#include "gui/texts.h"
#include "win/message_watch.h"

namespace {

constexpr DWORD kBoxWaitMs = 5000;
constexpr DWORD kPollMs = 20;
constexpr int kBoxTextId = 0xFFFF;

struct SeenBox {
    bool found = false;
    std::string caption;
    std::string text;
    HICON icon = nullptr;
    HWND owner = nullptr;
    bool ownerEnabled = true;
    bool hasOk = false;
    bool hasCancel = false;
};

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Waits for this process's message box, records what it shows and presses its OK button.
void WatchBox(SeenBox* seen) {
    HWND box = nullptr;
    for (DWORD waited = 0; !box && waited < kBoxWaitMs; waited += kPollMs) {
        Sleep(kPollMs);
        box = FindOwnBox();
    }
    if (!box) return;
    seen->found = true;
    seen->caption = WindowText(box);
    seen->text = WindowText(GetDlgItem(box, kBoxTextId));
    seen->icon = BoxIcon(box);
    seen->owner = GetWindow(box, GW_OWNER);
    if (seen->owner) seen->ownerEnabled = IsWindowEnabled(seen->owner);
    HWND ok = GetDlgItem(box, IDOK);
    HWND cancel = GetDlgItem(box, IDCANCEL);
    seen->hasOk = ok && IsWindowVisible(ok);
    seen->hasCancel = cancel && IsWindowVisible(cancel);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

HWND CreateOwner() {
    return CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

TEST_CASE("ShowMessage shows the program's own icon, the text and one OK button, modal to its owner") {
    HWND owner = CreateOwner();
    REQUIRE(owner != nullptr);
    for (unsigned icon : {IconSuccess, IconWarning, IconError, IconQuestion, IconRetry}) {
        CAPTURE(icon);
        SeenBox seen;
        std::thread watcher(WatchBox, &seen);
        int result = ShowMessage(owner, "line one\n\rline two", "caption", MB_OK, icon);
        watcher.join();
        REQUIRE(seen.found);
        CHECK(result == IDOK);
        CHECK(seen.caption == "caption");
        CHECK(seen.text == "line one\n\rline two");
        CHECK(seen.icon != nullptr);
        CHECK(seen.icon == ProgramIcon(icon));
        CHECK(seen.owner == owner);
        CHECK_FALSE(seen.ownerEnabled);
        CHECK(seen.hasOk);
        CHECK_FALSE(seen.hasCancel);
        CHECK(IsWindowEnabled(owner));
    }
    DestroyWindow(owner);
}

TEST_CASE("Report uses the caption of the current language") {
    HWND owner = CreateOwner();
    g_mainWindow = owner;
    for (int language : {kRussian, kEnglish}) {
        g_uiLanguage = language;
        FillUiText();
        SeenBox seen;
        std::thread watcher(WatchBox, &seen);
        Report(UiText[TextNoPorts], IconWarning);
        watcher.join();
        REQUIRE(seen.found);
        CHECK(seen.caption == UiTextIn(language, TextCaption));
        CHECK(seen.text == UiTextIn(language, TextNoPorts));
        CHECK(seen.icon == ProgramIcon(IconWarning));
        CHECK(seen.owner == owner);
    }
    CHECK(std::string(UiText[TextCaption]) == "Message");
    g_mainWindow = nullptr;
    DestroyWindow(owner);
    g_uiLanguage = kRussian;
    FillUiText();
}

TEST_CASE("SaveConfig warns when the file cannot be opened and creates nothing") {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string dir = std::string(folder) + "vireo-save-test";
    CreateDirectoryA(dir.c_str(), nullptr);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    REQUIRE(SetCurrentDirectoryA(dir.c_str()));
    DeleteFileA(kConfigFileName);

    g_uiLanguage = kEnglish;
    FillUiText();
    SeenBox seen;
    std::thread watcher(WatchBox, &seen);
    CHECK_FALSE(SaveConfig());
    watcher.join();
    CHECK(seen.found);
    CHECK(seen.text == "Failed to save settings!\nRestart the program.");
    CHECK(seen.icon == ProgramIcon(IconWarning));
    CHECK(GetFileAttributesA(kConfigFileName) == INVALID_FILE_ATTRIBUTES);
    CHECK(g_uiLanguage == kEnglish);  // the new value stays in effect

    SetCurrentDirectoryA(previous);
    RemoveDirectoryA(dir.c_str());
    g_uiLanguage = kRussian;
    FillUiText();
}
