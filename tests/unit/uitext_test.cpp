// SPDX-License-Identifier: Apache-2.0
#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "gui/texts.h"
#include "gui/texts.h"

namespace {

std::string Text(int language, UiTextId id) { return UiTextIn(language, id); }

// The entries whose texts break lines with LF then CR.
const UiTextId kLineFeedReturnEntries[] = {TextUsbDisconnected, TextHelpNotFound, TextHelpFolderHint};

bool IsLineFeedReturnEntry(int id) {
    for (UiTextId entry : kLineFeedReturnEntries)
        if (entry == id) return true;
    return false;
}

}  // namespace

TEST_CASE("the current set follows the language") {
    for (int language : {kRussian, kEnglish}) {
        g_uiLanguage = language;
        FillUiText();
        for (int id = 0; id < TextCount; ++id) {
            CAPTURE(id);
            CHECK(UiText[id] == UiTextIn(language, static_cast<UiTextId>(id)));
        }
    }
    CHECK(std::strcmp(UiText[TextTitle], "VireoTool-4 ver.2.00 (x64)") == 0);
    g_uiLanguage = kRussian;
    FillUiText();
}

TEST_CASE("Russian texts are code page 1251 bytes") {
    CHECK(Text(kRussian, TextCaption) == "\xD1\xEE\xEE\xE1\xF9\xE5\xED\xE8\xE5");  // Сообщение
    CHECK(Text(kRussian, TextTitle) == "VireoTool-4 \xE2\xE5\xF0.2.00 (x64)");     // вер.
    CHECK(Text(kRussian, TextStandbyOff) == "\xC2\xFB\xEA\xEB.");                  // Выкл.
    CHECK(Text(kRussian, TextMenuHelp) == "\xCF\xEE\xEC\xEE\xF9\xFC");              // Помощь
    CHECK(Text(kRussian, TextItemHelp) == "\xD1\xEF\xF0\xE0\xE2\xEA\xE0");          // Справка
    CHECK(Text(kRussian, TextNoResponse).find("\xE5\xF9\xB8") != std::string::npos);  // ещё
}

TEST_CASE("every entry has both texts; English is plain ASCII") {
    for (int id = 0; id < TextCount; ++id) {
        CAPTURE(id);
        for (int language : {kRussian, kEnglish}) {
            REQUIRE(UiTextIn(language, static_cast<UiTextId>(id)) != nullptr);
            CHECK(std::strlen(UiTextIn(language, static_cast<UiTextId>(id))) > 0);
        }
        for (unsigned char c : Text(kEnglish, static_cast<UiTextId>(id))) CHECK(c < 0x80);
        // Every Russian text holds at least one Cyrillic letter; none is left untranslated.
        bool cyrillic = false;
        for (unsigned char c : Text(kRussian, static_cast<UiTextId>(id))) cyrillic |= c >= 0xC0 || c == 0xA8 || c == 0xB8;
        CHECK(cyrillic);
    }
}

TEST_CASE("line breaks: LF then CR where the texts have both, LF alone elsewhere") {
    for (int id = 0; id < TextCount; ++id) {
        CAPTURE(id);
        for (int language : {kRussian, kEnglish}) {
            const std::string text = Text(language, static_cast<UiTextId>(id));
            CHECK(text.find("\r\n") == std::string::npos);
            CHECK((text.find("\n\r") != std::string::npos) == IsLineFeedReturnEntry(id));
            if (!IsLineFeedReturnEntry(id)) CHECK(text.find('\r') == std::string::npos);
        }
    }
    CHECK(Text(kEnglish, TextSaveFailed) == "Failed to save settings!\nRestart the program.");
    CHECK(Text(kEnglish, TextUsbDisconnected) == "Connection broken.\n\r(Vireo-4-USB disabled!)");
    // One backslash each, before the folder names.
    CHECK(Text(kEnglish, TextHelpFolderHint).find("Default: C:\\VireoTool-4 v.x.x\\help") != std::string::npos);
}

TEST_CASE("entries with equal texts stay separate") {
    for (int language : {kRussian, kEnglish}) CHECK(Text(language, TextStandbyOff) == Text(language, TextPollOff));
    CHECK(Text(kEnglish, TextStandbyOff) == "Off");
    CHECK(Text(kEnglish, TextMenuHelp) == Text(kEnglish, TextItemHelp));
    CHECK(Text(kRussian, TextMenuHelp) != Text(kRussian, TextItemHelp));
}

TEST_CASE("spaces inside the texts are kept") {
    CHECK(Text(kEnglish, TextVersion) == "Version: ");
    CHECK(Text(kEnglish, TextGroupInterfaces) == " 1) INTERFACES: ");
    CHECK(Text(kRussian, TextGroupCardForRead) == " 5) \xD7\xC8\xD2\xC0\xD2\xDC \xCA\xC0\xD0\xD2\xDB: ");  // ЧИТАТЬ КАРТЫ
}
