#include <doctest/doctest.h>

#include <cstring>

#include "config/config.h"
#include "config/uitext.h"

TEST_CASE("the text table follows the current language") {
    g_uiLanguage = kEnglish;
    FillUiText();
    CHECK(std::strcmp(UiText[TextTitle], "VireoTool-4 ver.2.00 (x64)") == 0);
    g_uiLanguage = kRussian;
    FillUiText();
    // "Сообщение" in code page 1251.
    CHECK(std::strcmp(UiText[TextCaption], "\xD1\xEE\xEE\xE1\xF9\xE5\xED\xE8\xE5") == 0);
}
