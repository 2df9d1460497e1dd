// SPDX-License-Identifier: Apache-2.0
// The USB codec applied to real radios, label and lamps of a main window.
#include <doctest/doctest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/app.h"
#include "gui/message.h"
#include "core/config.h"
#include "gui/codec.h"
#include "gui/session.h"
#include "gui/control_ids.h"
#include "gui/lamps.h"
#include "win/codec_fixture.h"

namespace {

const char kBadMode[] = "READER OPERATING MODE - NOT RECOGNIZED!";
const char kBadType[] = "ID CARD OUTPUT TYPE - NOT RECOGNIZED!";
const char kBadFormat[] = "ID CARD OUTPUT FORMAT - NOT RECOGNIZED!";
const char kBadByteCount[] = "NUMBER OF BYTE ID CARD - NOT RECOGNIZED!";
const char kBadCards[] = "CARD FOR READ - NOT RECOGNIZED!";
const char kFirmwareRefused[] = "Firmware version not supported!";

void StartUsb(char model, int version) {
    ResetCodecWindow(kUsb);
    InitSessionState();
    g_session.modelLetter = model;
    g_session.firmwareVersion = version;
}

const std::initializer_list<int> kModes = {IdModeWindows, IdModeAll};
const std::initializer_list<int> kFormats = {IdHexOrDec, IdFormatTouchMemory};
const std::initializer_list<int> kTypes = {IdHex, IdDec};
const std::initializer_list<int> kCounts = {IdBytes7, IdBytes5, IdBytes4, IdBytes3, IdBytes2};
const std::initializer_list<int> kCards = {IdCardsAll, IdCardsEmHid, IdCardsMifare};

}  // namespace

TEST_CASE("USB 1.10WHDH5EM: radios, HEX/DEC and 7 offered, label, cache, lamp 1 only") {
    StartUsb('B', 110);
    auto boxes = Decode("1.10WHDH5EM");
    CHECK(boxes.empty());
    CheckOnly(kModes, IdModeWindows);
    CheckOnly(kFormats, IdHexOrDec);
    CheckOnly(kTypes, IdHex);
    CheckOnly(kCounts, IdBytes5);
    CheckOnly(kCards, IdCardsAll);
    CHECK(IsEnabled(IdHex));
    CHECK(IsEnabled(IdDec));
    CHECK(IsEnabled(IdBytes7));
    CHECK(ControlText(IdVersionValue) == "1.10");
    CHECK(std::string(g_session.cachedSettings) == "1.10WHDH5EM");
    CHECK(g_session.firmwareSupported);
    CHECK(g_lampColors[0] == kCyan);
    for (int lamp = 1; lamp < kLampCount; ++lamp) CHECK(g_lampColors[lamp] == kMarkerColor);
}

TEST_CASE("USB 1.10ATMX7XM: Touch Memory takes HEX, DEC and 7 away, 7 still checked") {
    StartUsb('B', 110);
    auto boxes = Decode("1.10ATMX7XM");
    CHECK(boxes.empty());
    CheckOnly(kModes, IdModeAll);
    CheckOnly(kFormats, IdFormatTouchMemory);
    CHECK_FALSE(IsEnabled(IdHex));
    CHECK_FALSE(IsEnabled(IdDec));
    CHECK_FALSE(IsEnabled(IdBytes7));
    CheckOnly(kCounts, IdBytes7);
    CheckOnly(kCards, IdCardsMifare);
    CHECK(g_lampColors[0] == kMagenta);
}

TEST_CASE("USB 2.00ATMX7XM: 7 stays offered and checked") {
    StartUsb('B', 200);
    CHECK(Decode("2.00ATMX7XM").empty());
    CHECK(IsEnabled(IdBytes7));
    CheckOnly(kCounts, IdBytes7);
    CHECK_FALSE(IsEnabled(IdHex));

    // Another model letter neither offers nor takes it.
    StartUsb('X', 200);
    CHECK(Decode("2.00ATMX7XM").empty());
    CHECK_FALSE(IsEnabled(IdBytes7));
    StartUsb('X', 200);
    SetEnabled(IdBytes7, true);
    CHECK(Decode("2.00ATMX7XM").empty());
    CHECK(IsEnabled(IdBytes7));
}

TEST_CASE("USB 1.00WHDD2EX: 7 taken away; DEC, 2 and HID, EM-Marine") {
    StartUsb('B', 100);
    SetEnabled(IdBytes7, true);
    CHECK(Decode("1.00WHDD2EX").empty());
    CHECK_FALSE(IsEnabled(IdBytes7));
    CheckOnly(kTypes, IdDec);
    CheckOnly(kCounts, IdBytes2);
    CheckOnly(kCards, IdCardsEmHid);
    CHECK(IsEnabled(IdHex));
    CHECK(IsEnabled(IdDec));
}

TEST_CASE("USB byte count 6 or 0: reported, the group kept") {
    for (const char* payload : {"1.10WHDH6EM", "1.10WHDH0EM"}) {
        StartUsb('B', 110);
        SetChecked(IdBytes3, true);
        auto boxes = Decode(payload);
        CHECK(Texts(boxes) == std::vector<std::string>{kBadByteCount});
        CheckOnly(kCounts, IdBytes3);
        CheckOnly(kCards, IdCardsAll);
        CHECK(std::string(g_session.cachedSettings) == payload);
    }
}

TEST_CASE("USB 1.10WHXH5EM: a bad format only; format and type groups kept") {
    StartUsb('B', 110);
    SetChecked(IdFormatTouchMemory, true);
    SetChecked(IdDec, true);
    auto boxes = Decode("1.10WHXH5EM");
    CHECK(Texts(boxes) == std::vector<std::string>{kBadFormat});
    CheckErrorIcons(boxes);
    CheckOnly(kFormats, IdFormatTouchMemory);
    CheckOnly(kTypes, IdDec);
    CHECK_FALSE(IsEnabled(IdHex));
    CHECK_FALSE(IsEnabled(IdDec));
    CheckOnly(kCounts, IdBytes5);
}

TEST_CASE("USB 1.10WHDQ5EM: a bad type, HEX or DEC checked and the types offered") {
    StartUsb('B', 110);
    SetChecked(IdFormatTouchMemory, true);
    SetChecked(IdDec, true);
    auto boxes = Decode("1.10WHDQ5EM");
    CHECK(Texts(boxes) == std::vector<std::string>{kBadType});
    CheckOnly(kFormats, IdHexOrDec);
    CheckOnly(kTypes, IdDec);
    CHECK(IsEnabled(IdHex));
    CHECK(IsEnabled(IdDec));
}

namespace {
std::vector<RecordedBox> DecodeRefusedFirmware() {
    StartUsb('B', 120);
    g_session.portOpen = true;
    g_session.firmwareSupported = true;
    std::strcpy(g_session.cachedSettings, "1.10WHDH5EM");
    SetWindowTextA(GetDlgItem(g_mainWindow, IdVersionValue), "1.10");
    SetChecked(IdModeAll, true);
    return Decode("1.20WHDH5EM");
}
}  // namespace

TEST_CASE("USB firmware 1.20: one report, no field decoded") {
    auto boxes = DecodeRefusedFirmware();
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == kFirmwareRefused);
    CHECK(boxes[0].icon == ProgramIcon(IconError));
    CheckOnly(kModes, IdModeAll);
    CheckOnly(kFormats, 0);
    CHECK(g_lampColors[0] == kMarkerColor);
    // The report comes before the session ends.
    CHECK(boxes[0].modelLetter == 'B');
}

TEST_CASE("USB firmware 1.20: the session ends after the report") {
    DecodeRefusedFirmware();
    CHECK_FALSE(g_session.firmwareSupported);
    CHECK(g_session.modelLetter == 'X');
    CHECK(g_session.firmwareVersion == 0);
    CHECK(g_session.cachedSettings[0] == 0);
    CHECK_FALSE(g_session.portOpen);
    CHECK(ControlText(IdVersionValue) == "x.xx");
    CheckOnly(kModes, IdModeAll);
    CHECK(g_lampColors[0] == kMarkerColor);
}

TEST_CASE("USB lower-case payload: mode, format and cards reported in order") {
    StartUsb('B', 110);
    auto boxes = Decode("1.10whdh5em");
    CHECK(Texts(boxes) == std::vector<std::string>{kBadMode, kBadFormat, kBadCards});
    CheckOnly(kCounts, IdBytes5);
    CHECK(g_lampColors[0] == kMarkerColor);
}

TEST_CASE("USB lamps: repainted right after the mode, not at the end") {
    StartUsb('B', 110);
    CHECK(Decode("1.10WHDH5EM").empty());
    CHECK(LampColumnInvalid());

    // A good mode: the column already waits for its repaint when the next field is reported.
    StartUsb('B', 110);
    auto boxes = Decode("1.10ATMQ5EM");
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == kBadFormat);
    CHECK(boxes[0].lampsInvalid);

    // Every field bad: nothing asks for a repaint, and the cache is still replaced.
    StartUsb('B', 110);
    std::strcpy(g_session.cachedSettings, "1.10WHDH5EM");
    boxes = Decode("1.10QQQQ6QQ");
    CHECK(Texts(boxes) == std::vector<std::string>{kBadMode, kBadFormat, kBadByteCount, kBadCards});
    CHECK_FALSE(LampColumnInvalid());
    CHECK(std::string(g_session.cachedSettings) == "1.10QQQQ6QQ");
    for (LampColor color : g_lampColors) CHECK(color == kMarkerColor);
}

TEST_CASE("USB payload cut short: the cards are reported, the cache stops at the cut") {
    StartUsb('B', 110);
    std::strcpy(g_session.cachedSettings, "2.00ATMX7XM");
    auto boxes = Decode("1.10WHDH5E");
    CHECK(Texts(boxes) == std::vector<std::string>{kBadCards});
    CHECK(std::string(g_session.cachedSettings) == "1.10WHDH5E");
    CHECK(g_session.cachedSettings[10] == 0);
}

TEST_CASE("USB write command: checked radios whether enabled or not, cache behind the label") {
    StartUsb('B', 110);
    std::strcpy(g_session.cachedSettings, "1.10WHDH5EM");
    SetChecked(IdModeAll, true);
    SetChecked(IdFormatTouchMemory, true);
    SetChecked(IdBytes4, true);
    SetChecked(IdCardsMifare, true);
    char command[16];
    std::memset(command, '#', sizeof command);
    int length = -1;
    EncodeSettings(command, &length);
    CHECK(length == 10);
    CHECK(std::string(command, 10) == "AT+ATMX4XM");
    for (int i = 10; i < 16; ++i) CHECK(command[i] == '#');
    CHECK(std::string(g_session.cachedSettings) == "1.10ATMX4XM");

    StartUsb('B', 100);
    std::strcpy(g_session.cachedSettings, "1.00WHDH5EM");
    SetChecked(IdModeWindows, true);
    SetChecked(IdHexOrDec, true);
    SetChecked(IdDec, true);  // disabled, but checked
    SetChecked(IdBytes3, true);
    SetChecked(IdCardsEmHid, true);
    EncodeUsbSettings(command, &length);
    CHECK(length == 10);
    CHECK(std::string(command, 10) == "AT+WHDD3EX");
    CHECK(std::string(g_session.cachedSettings) == "1.00WHDD3EX");

    SetChecked(IdBytes3, false);
    SetChecked(IdBytes7, true);  // disabled, but checked
    SetChecked(IdHex, true);
    EncodeSettings(command, &length);
    CHECK(std::string(command, 10) == "AT+WHDH7EX");
}
