// SPDX-License-Identifier: Apache-2.0
// The catalogue of outcomes and messages that vireo4 and the page share.
#include <doctest/doctest.h>

#include <set>
#include <string>

#include "core/family.h"
#include "core/messages.h"
#include "core/status.h"

namespace {

// The %1, %2, %3 a text holds, as a set of digits.
std::set<char> Placeholders(const std::string& text) {
    std::set<char> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '3') found.insert(text[i + 1]);
    return found;
}

}  // namespace

TEST_CASE("every status has one word of its own, read back to it, an exit code and a text in both languages") {
    std::set<std::string> words;
    for (int i = 0; i < static_cast<int>(Status::Count); ++i) {
        const Status status = static_cast<Status>(i);
        const std::string word = StatusWord(status);
        CAPTURE(word);
        CHECK_FALSE(word.empty());
        CHECK(words.insert(word).second);
        Status back = Status::Count;
        CHECK(StatusOfWord(word, &back));
        CHECK(back == status);
        CHECK_FALSE(StatusText(kEnglish, status).empty());
        CHECK_FALSE(StatusText(kRussian, status).empty());
        CHECK(StatusText(kEnglish, status).find('\n') == std::string::npos);
    }
    Status unused = Status::Ok;
    CHECK_FALSE(StatusOfWord("", &unused));
    CHECK_FALSE(StatusOfWord("OK", &unused));
    CHECK(std::string(StatusWord(Status::Count)).empty());
    // The exit codes scripts rely on.
    CHECK(ExitCodeOf(Status::Ok) == 0);
    CHECK(ExitCodeOf(Status::Skipped) == 0);
    CHECK(ExitCodeOf(Status::Usage) == 1);
    CHECK(ExitCodeOf(Status::NoAnswer) == 2);
    CHECK(ExitCodeOf(Status::Unconfirmed) == 3);
    CHECK(ExitCodeOf(Status::Garbage) == 4);
    CHECK(ExitCodeOf(Status::Interrupted) == 130);
}

TEST_CASE("every message in both languages, with the same places to fill in") {
    int count = 0;
    const MessageRow* rows = MessageRows(&count);
    CHECK(count == static_cast<int>(Msg::Count));
    for (int i = 0; i < count; ++i) {
        CAPTURE(rows[i].english);
        CHECK(static_cast<int>(rows[i].id) == i);
        CHECK(std::string(rows[i].english).size() > 0);
        CHECK(std::string(rows[i].russian).size() > 0);
        CHECK(Placeholders(rows[i].english) == Placeholders(rows[i].russian));
        CHECK(std::string(MessageText(kRussian, rows[i].id)) == rows[i].russian);
    }
    CHECK(std::string(MessageText(kEnglish, Msg::Count)).empty());
}

TEST_CASE("filling in a text: each place once, in any order, other percent signs kept") {
    CHECK(Format("read back %2 instead of %1", "A", "B") == "read back B instead of A");
    CHECK(Format("100% %1%", "x") == "100% x%");
    CHECK(Format("%1 and %1", "x") == "x and x");
    CHECK(Format("%4 %", "x") == "%4 %");
    CHECK(Format("%1", "%2", "y") == "%2");  // a value is not filled in again
}
