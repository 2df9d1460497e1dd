// SPDX-License-Identifier: Apache-2.0
// The page's texts: every name once, both languages, the window's from its table as UTF-8.
#include <doctest/doctest.h>

#include <set>
#include <string>
#include <vector>

#include "web/face_support.h"
#include "web/page_texts.h"

namespace {

// The names of a texts JSON object, in order.
std::vector<std::string> Names(const std::string& json) {
    std::vector<std::string> names;
    for (std::size_t at = json.find("{\""); at != std::string::npos; at = json.find(",\"", at + 1)) {
        const std::size_t start = at + 2;
        const std::size_t end = json.find('"', start);
        if (json.compare(end, 2, "\":") == 0) names.push_back(json.substr(start, end - start));
    }
    return names;
}

}  // namespace

TEST_CASE("each text has one name and a text in both languages") {
    const std::string english = Take(vw_texts(1));
    const std::string russian = Take(vw_texts(0));
    const std::vector<std::string> names = Names(english);
    CHECK(names == Names(russian));
    CHECK(std::set<std::string>(names.begin(), names.end()).size() == names.size());
    CHECK(names.size() == 25 + static_cast<std::size_t>(PageText::Count));
    CHECK(english.find("\":\"\"") == std::string::npos);
    CHECK(russian.find("\":\"\"") == std::string::npos);
    // Names and texts stay in step with the enum.
    CHECK(Has(english, "Verified", "\"written and verified\""));
    CHECK(std::string(PageTextIn(1, PageText::Verified)) == "written and verified");
    CHECK(Has(english, "Unconfirmed", "\"written, not confirmed: read the reader again\""));
    CHECK(Has(english, "UnsupportedAdvice", std::string("\"") + PageTextIn(1, PageText::UnsupportedAdvice) + "\""));
    CHECK(std::string(PageTextIn(1, PageText::Count)).empty());
}

TEST_CASE("the window's texts in Russian are UTF-8, line breaks as the window has them") {
    const std::string russian = Take(vw_texts(0));
    CHECK(Has(russian, "TextRead", u8"\"СЧИТАТЬ\""));
    CHECK(Has(russian, "TextSettingsRead", u8"\"Настройки считаны!\""));
    CHECK(Has(russian, "TextNoResponse", u8"\"Считыватель не ответил!\\n(Попробуйте ещё раз или другой COM-порт).\""));
    CHECK(Has(russian, "TextUsbDisconnected", u8"\"Соединение нарушено.\\n\\r(Vireo-4-USB отключен!)\""));
    CHECK(Has(Take(vw_texts(7)), "TextRead", "\"READ\""));  // any other language value: English
}
