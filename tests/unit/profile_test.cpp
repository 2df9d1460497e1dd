// SPDX-License-Identifier: Apache-2.0
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

TEST_CASE("profile bytes as editors save them: UTF-16 either way round, with or without a mark; UTF-8 BOM") {
    // "[usb]", "bytes = 7" and a Cyrillic comment, as Notepad saves "Unicode".
    const std::u16string wide = u"[usb]\r\nbytes = 7 ; \u0441\u0430\u0439\u0442\r\n";
    const std::string text = "[usb]\r\nbytes = 7 ; \xD1\x81\xD0\xB0\xD0\xB9\xD1\x82\r\n";
    auto utf16 = [&](bool bigEndian, bool mark) {
        std::string bytes = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (char16_t unit : wide) {
            const char high = static_cast<char>(unit >> 8);
            const char low = static_cast<char>(unit & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    for (bool bigEndian : {false, true}) {
        for (bool mark : {false, true}) {
            const std::string bytes = utf16(bigEndian, mark);
            CHECK(ProfileTextFromBytes(bytes.data(), bytes.size()) == text);
        }
    }
    const std::string bom = "\xEF\xBB\xBF" + text;
    CHECK(ProfileTextFromBytes(bom.data(), bom.size()) == text);
    CHECK(ProfileTextFromBytes(text.data(), text.size()) == text);
    Parsed parsed = Parse(utf16(false, true));
    REQUIRE(parsed.ok);
    CHECK(Choices(parsed, kUsb) == "3=" + std::to_string(static_cast<int>(ByteCount::Bytes7)) + "@2");

    // Broken UTF-16: a lone surrogate and half a character at the end become U+FFFD; a pair is one letter.
    const std::string odd("\xFF\xFE\x00\xD8" "A\x00" "\x3D\xD8\x00\xDE" "B", 11);
    CHECK(ProfileTextFromBytes(odd.data(), odd.size()) == "\xEF\xBF\xBD" "A" "\xF0\x9F\x98\x80" "\xEF\xBF\xBD");
    CHECK(ProfileTextFromBytes(nullptr, 4).empty());
    CHECK(ProfileTextFromBytes("\xFF", 1) == "\xFF");
}
