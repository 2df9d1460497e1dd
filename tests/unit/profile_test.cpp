// Profile files for `vireo4 apply` and the code page 1251 texts shown on UTF-8 terminals.
#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "core/family.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/text_cp1251.h"

namespace {

struct Parsed {
    bool ok;
    Profile profile;
    ProfileError error;
};

Parsed Parse(const std::string& text) {
    Parsed parsed{};
    parsed.ok = ParseProfile(text.data(), text.size(), &parsed.profile, &parsed.error);
    return parsed;
}

// The choices of a section as "index=value@line" words, in file order.
std::string Choices(const Parsed& parsed, int family) {
    std::string words;
    for (const SettingChoice& c : parsed.profile.sections[family].choices) {
        words += (words.empty() ? "" : " ") + std::to_string(c.index) + "=" + std::to_string(c.value) + "@" +
                 std::to_string(c.line);
    }
    return words;
}

int V(Interface v) { return static_cast<int>(v); }

}  // namespace

TEST_CASE("a profile as editors on both systems save it: BOM, CR LF, comments, any letter case") {
    Parsed p = Parse("\xEF\xBB\xBF# site\r\n[KRU-KRM]\r\n  Interface = Wiegand-26  ; the door\r\n\r\n"
                     "touch-poll=off\r\n[usb]\r\nbytes = 7\r\n");
    REQUIRE(p.ok);
    CHECK(p.profile.sections[kKruKrm].present);
    CHECK(Choices(p, kKruKrm) == "0=" + std::to_string(V(Interface::Wiegand26)) + "@3 3=" +
                                     std::to_string(static_cast<int>(TouchPoll::Off)) + "@5");
    CHECK(Choices(p, kUsb) == "3=" + std::to_string(static_cast<int>(ByteCount::Bytes7)) + "@7");
}

TEST_CASE("the USB type: none means no type; beside touch-memory any other type is an error on its line") {
    Parsed refused = Parse("[usb]\ntype = hex\nformat = touch-memory\n");
    CHECK_FALSE(refused.ok);
    CHECK(refused.error.problem == ProfileProblem::TypeBesideTouchMemory);
    CHECK(refused.error.line == 2);
    Parsed after = Parse("[usb]\n# site\nformat = Touch-Memory\nbytes = 4\nTYPE = dec\n");
    CHECK(after.error.problem == ProfileProblem::TypeBesideTouchMemory);
    CHECK(after.error.line == 5);
    Parsed none = Parse("[usb]\nformat = touch-memory\ntype = none\n");
    REQUIRE(none.ok);
    CHECK(Choices(none, kUsb) == "1=" + std::to_string(static_cast<int>(OutputFormat::TouchMemory)) + "@2 2=0@3");
    Parsed kept = Parse("[usb]\nformat = hex-or-dec\ntype = dec\n");
    CHECK(Choices(kept, kUsb) == "1=1@2 2=" + std::to_string(static_cast<int>(OutputType::Dec)) + "@3");
    // A type alone is kept: the reader's own format decides when it is applied.
    Parsed alone = Parse("[usb]\ntype = hex\n");
    CHECK(alone.ok);
    CHECK_FALSE(Parse("[kru-krm]\nindication = none\n").ok);
}

TEST_CASE("every problem names its line, and what was wrong") {
    struct Case {
        const char* text;
        ProfileProblem problem;
        int line;
        const char* word;
    };
    const Case cases[] = {
        {"[kru-krm]\nstandby static\n", ProfileProblem::BadLine, 2, "standby static"},
        {"[kru-krm\n", ProfileProblem::BadLine, 1, "[kru-krm"},
        {"[usb]\n\nmode =\n", ProfileProblem::BadLine, 3, "mode ="},
        {"# a\n[kru]\n", ProfileProblem::UnknownSection, 2, "kru"},
        {"[usb]\n[kru-krm]\n[USB]\n", ProfileProblem::DuplicateSection, 3, "usb"},
        {"bytes = 5\n[usb]\n", ProfileProblem::OutsideSection, 1, "bytes"},
        {"[kru-krm]\nmode = all\n", ProfileProblem::UnknownName, 2, "mode"},
        {"[usb]\nbytes = 6\n", ProfileProblem::UnknownValue, 2, "6"},
        {"[usb]\ncards=all\ncards = mifare\n", ProfileProblem::DuplicateName, 3, "cards"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.text);
        Parsed p = Parse(c.text);
        CHECK_FALSE(p.ok);
        CHECK(p.error.problem == c.problem);
        CHECK(p.error.line == c.line);
        CHECK(p.error.word == c.word);
    }
    Parsed value = Parse("[usb]\nbytes = 6\n");
    CHECK(value.error.name == "bytes");
    CHECK(value.error.family == kUsb);
}

TEST_CASE("an empty profile is valid and names no family; a name of the other family is unknown") {
    Parsed empty = Parse("");
    CHECK(empty.ok);
    CHECK_FALSE(empty.profile.sections[kKruKrm].present);
    CHECK_FALSE(empty.profile.sections[kUsb].present);
    SettingChoice choice{};
    CHECK(LookUpSetting(kKruKrm, "bytes", "5", &choice) == ProfileProblem::UnknownName);
    CHECK(LookUpSetting(kUsb, "bytes", "five", &choice) == ProfileProblem::UnknownValue);
    REQUIRE(LookUpSetting(kKruKrm, "STANDBY", "Off", &choice) == ProfileProblem::None);
    CHECK(choice.value == static_cast<int>(Standby::Off));
}

TEST_CASE("code page 1251 texts become UTF-8 letter for letter") {
    // This file is compiled with the window's code page, so a Russian literal is CP1251 bytes.
    CHECK(Cp1251ToUtf8("Сообщение") == std::string(u8"Сообщение"));
    CHECK(Cp1251ToUtf8("Ёж ёж №5") == std::string(u8"Ёж ёж №5"));
    CHECK(Cp1251ToUtf8("Error 5\n\r") == "Error 5\n\r");
    CHECK(Cp1251ToUtf8("\x98") == "\xEF\xBF\xBD");  // the one byte the code page leaves unassigned
    CHECK(Cp1251ToUtf8(nullptr).empty());
}
