// SPDX-License-Identifier: Apache-2.0
#include <doctest/doctest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "core/config.h"
#include "core/family.h"
#include "core/settings.h"
#include "core/ui_text.h"
#include "gui/control_ids.h"
#include "gui/help.h"
#include "gui/lamps.h"
#include "gui/setting_radios.h"

TEST_CASE("every setting radio with a lamp gives its lamp its colour") {
    struct Row { int id; int lamp; LampColor color; };
    const Row rows[] = {
        {3, 0, 0x000000FF}, {4, 0, 0x0000FF00}, {5, 0, 0x00FFFF00}, {6, 0, 0x00FF00FF},
        {7, 1, 0x000000FF}, {8, 1, 0x00FF0000},
        {9, 2, 0x000000FF}, {10, 2, 0x0000FF00}, {11, 2, 0x00FF00FF},
        {12, 3, 0x000000FF}, {13, 3, 0x0000FFFF},
        {22, 0, 0x00FFFF00}, {23, 0, 0x00FF00FF},
    };
    for (const Row& row : rows) {
        int lamp = -1;
        LampColor color = 1;
        INFO("radio " << row.id);
        REQUIRE(LampForRadio(row.id, &lamp, &color));
        CHECK(lamp == row.lamp);
        CHECK(color == row.color);
    }
}

TEST_CASE("radios and commands without a lamp leave the outputs alone") {
    for (int id : {-1, 0, 1, 2, 14, 15, 16, 21, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 65535}) {
        int lamp = 77;
        LampColor color = 0x00ABCDEF;
        INFO("id " << id);
        CHECK_FALSE(LampForRadio(id, &lamp, &color));
        CHECK(lamp == 77);
        CHECK(color == 0x00ABCDEFu);
    }
}

TEST_CASE("lamp places are 20-pixel circles at the heights of each page's groups") {
    const int kruTops[] = {150, 250, 340, 430, 520};
    const int usbTops[] = {130, 210, 290, 400, 520};
    for (int i = 0; i < kLampCount; ++i) {
        for (const LampRect& r : {kKruKrmLampRects[i], kUsbLampRects[i]}) {
            CHECK(r.left == 345);
            CHECK(r.right == 365);
            CHECK(r.bottom - r.top == 20);
            // Inside the column that InvalidateLamps repaints.
            CHECK(r.left >= kLampColumnRect.left);
            CHECK(r.right <= kLampColumnRect.right);
            CHECK(r.top >= kLampColumnRect.top);
            CHECK(r.bottom <= kLampColumnRect.bottom);
        }
        CHECK(kKruKrmLampRects[i].top == kruTops[i]);
        CHECK(kUsbLampRects[i].top == usbTops[i]);
    }
    CHECK(kLampColumnRect.left == 330);
    CHECK(kLampColumnRect.top == 60);
    CHECK(kLampColumnRect.right == 380);
    CHECK(kLampColumnRect.bottom == 580);
    CHECK(LampRectsForFamily(kKruKrm) == kKruKrmLampRects);
    CHECK(LampRectsForFamily(kUsb) == kUsbLampRects);
    CHECK(LampRectsForFamily(2) == nullptr);
    CHECK(LampRectsForFamily(-1) == nullptr);
}

TEST_CASE("page defaults colour the lamps like the default choices") {
    SetDefaultLampColors(kKruKrm);
    // "Touch Memory", "Direct", standby "Off", poll "Off", card-for-read white.
    const LampColor kru[] = {0x000000FF, 0x000000FF, 0x00FF00FF, 0x0000FFFF, 0x00FFFFFF};
    CHECK(std::memcmp(g_lampColors, kru, sizeof kru) == 0);
    // The defaults agree with the radios the pages check.
    LampColor color = 0;
    int lamp = 0;
    for (int id : {IdTouchMemory, IdDirect, IdStandbyOff, IdPollOff}) {
        CHECK(LampForRadio(id, &lamp, &color));
        CHECK(color == g_lampColors[lamp]);
    }
    SetDefaultLampColors(kUsb);
    const LampColor usb[] = {0x00FFFF00, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF};
    CHECK(std::memcmp(g_lampColors, usb, sizeof usb) == 0);
    CHECK(LampForRadio(IdModeWindows, &lamp, &color));
    CHECK(color == g_lampColors[0]);
}

TEST_CASE("the cached byte-count digit picks its radio; anything else picks none") {
    CHECK(RadioFor(ByteCountForCode('7')) == IdBytes7);
    CHECK(RadioFor(ByteCountForCode('5')) == IdBytes5);
    CHECK(RadioFor(ByteCountForCode('4')) == IdBytes4);
    CHECK(RadioFor(ByteCountForCode('3')) == IdBytes3);
    CHECK(RadioFor(ByteCountForCode('2')) == IdBytes2);
    for (char c : {'6', '0', '1', '8', '9', 'A', '\0', '\xFF'}) CHECK(RadioFor(ByteCountForCode(c)) == 0);
}

TEST_CASE("the shell's answer to opening the help file") {
    CHECK(ClassifyHelpResult(33) == HelpOpened);
    CHECK(ClassifyHelpResult(42) == HelpOpened);
    CHECK(ClassifyHelpResult(2) == HelpNotFound);
    CHECK(ClassifyHelpResult(3) == HelpNotFound);
    CHECK(ClassifyHelpResult(31) == HelpNoViewer);
    for (long long r : {-1LL, 0LL, 1LL, 4LL, 5LL, 8LL, 26LL, 27LL, 28LL, 29LL, 30LL, 32LL})
        CHECK(ClassifyHelpResult(static_cast<std::intptr_t>(r)) == HelpFailed);
}

TEST_CASE("an unexpected help failure names its number in brackets") {
    char text[128];
    CHECK(FormatHelpFailure(text, sizeof text, "Opening the help file failed!", "Error code", 5));
    CHECK(std::strcmp(text, "Opening the help file failed!\n\r[Error code: 5]") == 0);
    CHECK(FormatHelpFailure(text, sizeof text, "m", "c", 32));
    CHECK(std::strcmp(text, "m\n\r[c: 32]") == 0);
    // A negative answer is shown as the unsigned 64-bit number it is.
    CHECK(FormatHelpFailure(text, sizeof text, "m", "c", -1));
    CHECK(std::strcmp(text, "m\n\r[c: 18446744073709551615]") == 0);
    // A buffer too small is cut, never overrun.
    char small[8];
    std::memset(small, 'x', sizeof small);
    CHECK_FALSE(FormatHelpFailure(small, sizeof small, "Opening", "Error code", 5));
    CHECK(small[7] == '\0');
    CHECK(std::strcmp(small, "Opening") == 0);
}

TEST_CASE("the help file the window opens is the one its not-found message names, in both languages") {
    // The path comes from the version; the message is the window's fixed text.
    const std::string path = kHelpFilePath;
    const std::string name = path.substr(path.rfind('\\') + 1);
    CHECK(path.rfind("help\\", 0) == 0);
    for (int language : {kRussian, kEnglish}) {
        const std::string message = UiTextIn(language, TextHelpNotFound);
        CHECK(message.find("(" + name + ")") != std::string::npos);
    }
}
