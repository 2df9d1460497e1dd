// SPDX-License-Identifier: Apache-2.0
// The KRU/KRM codec applied to real radios, label and lamps of a main window.
#include <doctest/doctest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/message.h"
#include "gui/texts.h"
#include "gui/codec.h"
#include "gui/session.h"
#include "gui/control_ids.h"
#include "gui/lamps.h"
#include "win/codec_fixture.h"

namespace {

const char kBadInterface[] = "READER INTERFACE - NOT RECOGNIZED!";
const char kBadIndication[] = "INDICATION CONTROL - NOT RECOGNIZED!";
const char kBadStandby[] = "INDICATION IN STANDBY MODE - NOT RECOGNIZED!";
const char kBadPoll[] = "TOUCH BUTTON POLL - NOT RECOGNIZED!";
const char kFirmwareRefused[] = "Firmware version not supported!";

// A settings reply of model and version has just been classified.
void StartKruKrm(char model, int version) {
    ResetCodecWindow(kKruKrm);
    InitSessionState();
    g_session.portOpen = true;
    g_session.modelLetter = model;
    g_session.firmwareVersion = version;
}

const std::initializer_list<int> kInterfaces = {IdTouchMemory, IdWiegand26, IdWiegand44, IdWiegand58};
const std::initializer_list<int> kIndications = {IdDirect, IdInverse};
const std::initializer_list<int> kStandbys = {IdDynamic, IdStatic, IdStandbyOff};
const std::initializer_list<int> kPolls = {IdPollOn, IdPollOff};

}  // namespace

TEST_CASE("KRM 1.10TMX1DO: one radio per group, Wiegand 58 offered, label and cache set") {
    StartKruKrm('M', 110);
    auto boxes = Decode("1.10TMX1DO");
    CHECK(boxes.empty());
    CheckOnly(kInterfaces, IdTouchMemory);
    CheckOnly(kIndications, IdDirect);
    CheckOnly(kStandbys, IdDynamic);
    CheckOnly(kPolls, IdPollOn);
    CHECK(IsEnabled(IdWiegand58));
    CHECK(ControlText(IdVersionValue) == "1.10");
    CHECK(std::string(g_session.cachedSettings) == "1.10TMX1DO");
    CHECK(g_session.firmwareSupported);
    CHECK(g_lampColors[0] == kRed);
    CHECK(g_lampColors[1] == kRed);
    CHECK(g_lampColors[2] == kRed);
    CHECK(g_lampColors[3] == kRed);
    CHECK(g_lampColors[4] == kMarkerColor);
    // Nothing but the reader's label was written to the session.
    CHECK(g_session.portOpen);
    CHECK(g_session.modelLetter == 'M');
}

TEST_CASE("KRU 1.10TMX1DO and KRM 2.00: Wiegand 58 kept as it was, or offered") {
    StartKruKrm('U', 110);
    CHECK(Decode("1.10TMX1DO").empty());
    CHECK_FALSE(IsEnabled(IdWiegand58));

    StartKruKrm('U', 110);
    SetEnabled(IdWiegand58, true);
    CHECK(Decode("1.10W441SO").empty());
    CHECK(IsEnabled(IdWiegand58));
    CheckOnly(kInterfaces, IdWiegand44);
    CheckOnly(kStandbys, IdStatic);
    CHECK(g_lampColors[0] == kCyan);
    CHECK(g_lampColors[2] == kGreen);

    StartKruKrm('M', 200);
    CHECK(Decode("2.00W260DF").empty());
    CHECK(IsEnabled(IdWiegand58));
    CheckOnly(kInterfaces, IdWiegand26);
    CheckOnly(kIndications, IdInverse);
    CheckOnly(kPolls, IdPollOff);
    CHECK(g_lampColors[0] == kGreen);
    CHECK(g_lampColors[1] == kBlue);
    CHECK(g_lampColors[3] == kYellow);
    CHECK(ControlText(IdVersionValue) == "2.00");
}

TEST_CASE("KRM 1.00W580AF: Wiegand 58 taken away yet checked") {
    StartKruKrm('M', 100);
    SetEnabled(IdWiegand58, true);
    CHECK(Decode("1.00W580AF").empty());
    CHECK_FALSE(IsEnabled(IdWiegand58));
    CheckOnly(kInterfaces, IdWiegand58);
    CheckOnly(kIndications, IdInverse);
    CheckOnly(kStandbys, IdStandbyOff);
    CheckOnly(kPolls, IdPollOff);
    CHECK(g_lampColors[0] == kMagenta);
    CHECK(g_lampColors[1] == kBlue);
    CHECK(g_lampColors[2] == kMagenta);
    CHECK(g_lampColors[3] == kYellow);
    CHECK(std::string(g_session.cachedSettings) == "1.00W580AF");
}

TEST_CASE("KRU/KRM firmware 2.10 is refused and nothing else changes") {
    StartKruKrm('U', 210);
    SetChecked(IdWiegand26, true);
    std::strcpy(g_session.cachedSettings, "1.10W261SO");
    g_session.firmwareSupported = true;

    auto boxes = Decode("2.10TMX1DO");
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == kFirmwareRefused);
    CheckErrorIcons(boxes);
    CHECK_FALSE(g_session.firmwareSupported);
    CheckOnly(kInterfaces, IdWiegand26);
    CheckOnly(kIndications, 0);
    CHECK(ControlText(IdVersionValue) == "x.xx");
    CHECK(std::string(g_session.cachedSettings) == "1.10W261SO");
    for (LampColor color : g_lampColors) CHECK(color == kMarkerColor);
    // The session and its port are kept.
    CHECK(g_session.portOpen);
    CHECK(g_session.modelLetter == 'U');
    CHECK(g_session.firmwareVersion == 210);
    CHECK_FALSE(LampColumnInvalid());
}

TEST_CASE("KRU/KRM 1.10W271DO: only the interface is reported") {
    StartKruKrm('M', 110);
    SetChecked(IdWiegand44, true);
    auto boxes = Decode("1.10W271DO");
    CHECK(Texts(boxes) == std::vector<std::string>{kBadInterface});
    CheckErrorIcons(boxes);
    CheckOnly(kInterfaces, IdWiegand44);
    CHECK(g_lampColors[0] == kMarkerColor);
    CheckOnly(kIndications, IdDirect);
    CheckOnly(kStandbys, IdDynamic);
    CheckOnly(kPolls, IdPollOn);
    CHECK(g_lampColors[1] == kRed);
    CHECK(std::string(g_session.cachedSettings) == "1.10W271DO");
}

TEST_CASE("KRU/KRM lower-case payload: three reports in field order") {
    StartKruKrm('U', 110);
    auto boxes = Decode("1.10tmx1do");
    CHECK(Texts(boxes) == std::vector<std::string>{kBadInterface, kBadStandby, kBadPoll});
    CheckErrorIcons(boxes);
    CheckOnly(kIndications, IdDirect);
    CheckOnly(kInterfaces, 0);
    CheckOnly(kStandbys, 0);
    CHECK(std::string(g_session.cachedSettings) == "1.10tmx1do");
}

TEST_CASE("KRU/KRM: every field unrecognised still replaces the cache") {
    StartKruKrm('M', 110);
    std::strcpy(g_session.cachedSettings, "1.10TMX1DO");
    auto boxes = Decode("1.10ABC2ZZ");
    CHECK(Texts(boxes) == std::vector<std::string>{kBadInterface, kBadIndication, kBadStandby, kBadPoll});
    CHECK(std::string(g_session.cachedSettings) == "1.10ABC2ZZ");
    for (LampColor color : g_lampColors) CHECK(color == kMarkerColor);
    CHECK(ControlText(IdVersionValue) == "1.10");
    CHECK(g_session.firmwareSupported);
}

TEST_CASE("KRU/KRM payload cut short: the missing fields are reported, the cache stops at the cut") {
    StartKruKrm('M', 110);
    std::strcpy(g_session.cachedSettings, "2.00W581SOX");
    auto boxes = Decode("1.10TMX");
    CHECK(Texts(boxes) == std::vector<std::string>{kBadIndication, kBadStandby, kBadPoll});
    CheckOnly(kInterfaces, IdTouchMemory);
    CHECK(std::string(g_session.cachedSettings) == "1.10TMX");
    for (int i = 7; i < kCachedSettingsSize; ++i) CHECK(g_session.cachedSettings[i] == 0);

    // Only the firmware label arrived: nothing to read behind it but zero bytes.
    StartKruKrm('M', 110);
    boxes = Decode("1.10");
    CHECK(Texts(boxes) == std::vector<std::string>{kBadInterface, kBadIndication, kBadStandby, kBadPoll});
    CHECK(std::string(g_session.cachedSettings) == "1.10");
}

TEST_CASE("KRU/KRM write command: first checked radio, disabled radios read too, cache behind the label") {
    StartKruKrm('M', 110);
    std::strcpy(g_session.cachedSettings, "1.10TMX1DO");
    SetChecked(IdWiegand44, true);
    SetChecked(IdDirect, true);
    SetChecked(IdStatic, true);
    SetChecked(IdPollOn, true);
    char command[16];
    std::memset(command, '#', sizeof command);
    int length = -1;
    EncodeSettings(command, &length);
    CHECK(length == 9);
    CHECK(std::string(command, 9) == "AT+W441SO");
    for (int i = 9; i < 16; ++i) CHECK(command[i] == '#');
    CHECK(std::string(g_session.cachedSettings) == "1.10W441SO");

    StartKruKrm('U', 110);
    std::strcpy(g_session.cachedSettings, "2.00W441SO");
    SetChecked(IdWiegand58, true);  // disabled, but checked
    SetChecked(IdInverse, true);
    SetChecked(IdStandbyOff, true);
    SetChecked(IdPollOff, true);
    EncodeKruKrmSettings(command, &length);
    CHECK(length == 9);
    CHECK(std::string(command, 9) == "AT+W580AF");
    CHECK(std::string(g_session.cachedSettings) == "2.00W580AF");

    SetChecked(IdTouchMemory, true);
    EncodeSettings(command, &length);
    CHECK(std::string(command, 9) == "AT+TMX0AF");
}

TEST_CASE("the family dispatch: an unknown family decodes and encodes nothing") {
    StartKruKrm('M', 110);
    g_readerFamily = 2;
    CHECK(Decode("1.10TMX1DO").empty());
    CheckOnly(kInterfaces, 0);
    CHECK(ControlText(IdVersionValue) == "x.xx");
    CHECK(g_session.cachedSettings[0] == 0);

    char command[16];
    std::memset(command, '#', sizeof command);
    int length = 7;
    EncodeSettings(command, &length);
    CHECK(length == 0);
    for (char c : command) CHECK(c == '#');
    g_readerFamily = kKruKrm;
}

TEST_CASE("KRU/KRM lamps: repainted once, at the end, whatever the fields held") {
    StartKruKrm('M', 110);
    CHECK(Decode("1.10TMX1DO").empty());
    CHECK(LampColumnInvalid());

    StartKruKrm('M', 110);
    auto boxes = Decode("1.10ABC2ZZ");
    REQUIRE(boxes.size() == 4);
    // Not yet while the fields are reported, but after the last one.
    CHECK_FALSE(boxes[0].lampsInvalid);
    CHECK(LampColumnInvalid());
}

TEST_CASE("KRU/KRM reports carry the error icon") {
    StartKruKrm('M', 110);
    auto boxes = Decode("1.10tmx1do");
    REQUIRE(boxes.size() == 3);
    CHECK(ProgramIcon(IconError) != nullptr);
    for (const RecordedBox& box : boxes) {
        CHECK(box.icon == ProgramIcon(IconError));
        CHECK(box.icon != ProgramIcon(IconSuccess));
    }
}
