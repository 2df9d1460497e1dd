#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "protocol/kru_codec.h"
#include "protocol/usb_codec.h"
#include "session/session.h"
#include "ui/control_ids.h"

namespace {

const unsigned char* Bytes(const char* text) { return reinterpret_cast<const unsigned char*>(text); }
int Length(const char* text) { return static_cast<int>(std::strlen(text)); }

KruKrmFields ParseKru(const char* payload) { return ParseKruKrmSettings(Bytes(payload), Length(payload)); }
UsbFields ParseUsb(const char* payload) { return ParseUsbSettings(Bytes(payload), Length(payload)); }

// The radios the encoder sees as checked, by control id.
bool g_checked[IdCardsMifare + 1];
bool IsChecked(int id) { return id >= 0 && id <= IdCardsMifare && g_checked[id]; }
void Check(std::initializer_list<int> ids) {
    std::memset(g_checked, 0, sizeof g_checked);
    for (int id : ids) g_checked[id] = true;
}

// Builds into a buffer filled with a marker so that bytes written past the command show.
constexpr char kMarker = '#';
constexpr int kBufferSize = 16;
std::string Build(int (*build)(RadioCheckedFn, char*), int expectedLength) {
    char buffer[kBufferSize];
    std::memset(buffer, kMarker, sizeof buffer);
    int length = build(IsChecked, buffer);
    CHECK(length == expectedLength);
    for (int i = expectedLength; i < kBufferSize; ++i) CHECK(buffer[i] == kMarker);
    return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace

TEST_CASE("KRU/KRM payloads: unrecognised fields are told apart, the rest still decoded") {
    KruKrmFields f = ParseKru("1.10W271DO");
    CHECK(f.interfaceRadio == kNotRecognized);
    CHECK(f.indicationRadio == IdDirect);
    CHECK(f.standbyRadio == IdDynamic);
    CHECK(f.touchPollRadio == IdPollOn);

    // Lower case is not the reader's language; the digit survives.
    f = ParseKru("1.10tmx1do");
    CHECK(f.interfaceRadio == kNotRecognized);
    CHECK(f.indicationRadio == IdDirect);
    CHECK(f.standbyRadio == kNotRecognized);
    CHECK(f.touchPollRadio == kNotRecognized);

    f = ParseKru("1.10XYZ2QQ");
    CHECK(f.interfaceRadio == kNotRecognized);
    CHECK(f.indicationRadio == kNotRecognized);
    CHECK(f.standbyRadio == kNotRecognized);
    CHECK(f.touchPollRadio == kNotRecognized);

    // Partial interface codes and codes of the other family.
    CHECK(ParseKru("1.10TMY1DO").interfaceRadio == kNotRecognized);
    CHECK(ParseKru("1.10W5 1DO").interfaceRadio == kNotRecognized);
    CHECK(ParseKru("1.10WHD1DO").interfaceRadio == kNotRecognized);
    CHECK(ParseKru("1.10TMX2DO").indicationRadio == kNotRecognized);
}

TEST_CASE("KRU/KRM payloads cut short are never read past their length") {
    // Only "1.10TMX1" arrived: both last fields are missing.
    KruKrmFields f = ParseKruKrmSettings(Bytes("1.10TMX1DO"), 8);
    CHECK(f.interfaceRadio == IdTouchMemory);
    CHECK(f.indicationRadio == IdDirect);
    CHECK(f.standbyRadio == kNotRecognized);
    CHECK(f.touchPollRadio == kNotRecognized);

    f = ParseKruKrmSettings(Bytes("1.10TM"), 6);
    CHECK(f.interfaceRadio == kNotRecognized);

    // A zero byte in the middle of the reply buffer.
    const unsigned char zeroed[kKruKrmPayloadLength] = {'1', '.', '1', '0', 'T', 'M', 'X', 0, 'D', 'O'};
    f = ParseKruKrmSettings(zeroed, kKruKrmPayloadLength);
    CHECK(f.indicationRadio == kNotRecognized);
    CHECK(f.standbyRadio == IdDynamic);

    f = ParseKruKrmSettings(nullptr, 0);
    CHECK(f.interfaceRadio == kNotRecognized);
    CHECK(f.touchPollRadio == kNotRecognized);
}

TEST_CASE("Wiegand 58 is offered by a KRM reader from firmware 1.10 on") {
    CHECK(Wiegand58Availability(110, 'M') == AvailabilityEnable);
    CHECK(Wiegand58Availability(200, 'M') == AvailabilityEnable);
    CHECK(Wiegand58Availability(110, 'U') == AvailabilityKeep);
    CHECK(Wiegand58Availability(200, 'X') == AvailabilityKeep);
    CHECK(Wiegand58Availability(105, 'M') == AvailabilityKeep);
    CHECK(Wiegand58Availability(101, 'M') == AvailabilityKeep);
    CHECK(Wiegand58Availability(109, 'M') == AvailabilityKeep);
    CHECK(Wiegand58Availability(100, 'M') == AvailabilityDisable);
    CHECK(Wiegand58Availability(100, 'U') == AvailabilityDisable);
    CHECK(Wiegand58Availability(0, 'M') == AvailabilityDisable);
    CHECK(Wiegand58Availability(-5, 'M') == AvailabilityDisable);
}

TEST_CASE("USB payloads: unrecognised fields") {
    // There is no 6 (nor 0, 1 or 8) bytes.
    for (const char* payload : {"1.10WHDH6EM", "1.10WHDH0EM", "1.10WHDH1EM", "1.10WHDH8EM"}) {
        UsbFields f = ParseUsb(payload);
        CHECK(f.byteCountRadio == kNotRecognized);
        CHECK(f.cardsRadio == IdCardsAll);
    }

    // H followed by anything but D is a bad format; its type character is not looked at.
    UsbFields f = ParseUsb("1.10WHXH5EM");
    CHECK(f.formatRadio == kNotRecognized);
    CHECK(f.typeRadio == kNotRecognized);
    CHECK(f.modeRadio == IdModeWindows);
    CHECK(f.byteCountRadio == IdBytes5);

    // A good format with a bad type.
    f = ParseUsb("1.10WHDQ5EM");
    CHECK(f.formatRadio == IdHexOrDec);
    CHECK(f.typeRadio == kNotRecognized);

    // Touch Memory needs all three characters.
    CHECK(ParseUsb("1.10WTMH5EM").formatRadio == kNotRecognized);
    CHECK(ParseUsb("1.10WTXX5EM").formatRadio == kNotRecognized);
    CHECK(ParseUsb("1.10WXMX5EM").formatRadio == kNotRecognized);

    f = ParseUsb("1.10whdh5em");
    CHECK(f.modeRadio == kNotRecognized);
    CHECK(f.formatRadio == kNotRecognized);
    CHECK(f.byteCountRadio == IdBytes5);
    CHECK(f.cardsRadio == kNotRecognized);

    f = ParseUsb("1.10QZZZ9XX");
    CHECK(f.modeRadio == kNotRecognized);
    CHECK(f.formatRadio == kNotRecognized);
    CHECK(f.typeRadio == kNotRecognized);
    CHECK(f.byteCountRadio == kNotRecognized);
    CHECK(f.cardsRadio == kNotRecognized);

    CHECK(ParseUsb("1.10WHDH5ME").cardsRadio == kNotRecognized);
    CHECK(ParseUsb("1.10WHDH5XX").cardsRadio == kNotRecognized);
    CHECK(ParseUsb("1.10WHDH5EE").cardsRadio == kNotRecognized);
}

TEST_CASE("USB payloads cut short are never read past their length") {
    // A KRU/KRM-length payload: the second card character is missing.
    UsbFields f = ParseUsbSettings(Bytes("1.10WHDH5EM"), 10);
    CHECK(f.byteCountRadio == IdBytes5);
    CHECK(f.cardsRadio == kNotRecognized);

    f = ParseUsbSettings(Bytes("1.10WHD"), 7);
    CHECK(f.modeRadio == IdModeWindows);
    CHECK(f.formatRadio == IdHexOrDec);
    CHECK(f.typeRadio == kNotRecognized);
    CHECK(f.byteCountRadio == kNotRecognized);

    f = ParseUsbSettings(Bytes("1.10"), 4);
    CHECK(f.modeRadio == kNotRecognized);
    CHECK(f.formatRadio == kNotRecognized);
    CHECK(f.cardsRadio == kNotRecognized);

    f = ParseUsbSettings(Bytes("1.10WHDH5EM"), -3);
    CHECK(f.modeRadio == kNotRecognized);
}

TEST_CASE("the digit 7 follows the USB reader's firmware and output format") {
    CHECK(Bytes7Availability(110, 'B') == AvailabilityEnable);
    CHECK(Bytes7Availability(200, 'B') == AvailabilityEnable);
    CHECK(Bytes7Availability(110, 'M') == AvailabilityKeep);
    CHECK(Bytes7Availability(105, 'B') == AvailabilityKeep);
    CHECK(Bytes7Availability(100, 'B') == AvailabilityDisable);
    CHECK(Bytes7Availability(0, 'X') == AvailabilityDisable);

    // Touch Memory takes it away up to and including 1.10, whatever the model.
    CHECK(TouchMemoryDisablesBytes7(100));
    CHECK(TouchMemoryDisablesBytes7(110));
    CHECK_FALSE(TouchMemoryDisablesBytes7(111));
    CHECK_FALSE(TouchMemoryDisablesBytes7(200));
}

TEST_CASE("the KRU/KRM write command from the checked radios") {
    Check({IdWiegand44, IdDirect, IdStatic, IdPollOn});
    CHECK(Build(BuildKruKrmCommand, kKruKrmWriteLength) == "AT+W441SO");
    Check({IdTouchMemory, IdInverse, IdStandbyOff, IdPollOff});
    CHECK(Build(BuildKruKrmCommand, kKruKrmWriteLength) == "AT+TMX0AF");
    Check({IdWiegand26, IdInverse, IdDynamic, IdPollOff});
    CHECK(Build(BuildKruKrmCommand, kKruKrmWriteLength) == "AT+W260DF");
    Check({IdWiegand58, IdDirect, IdDynamic, IdPollOn});
    CHECK(Build(BuildKruKrmCommand, kKruKrmWriteLength) == "AT+W581DO");

    // The first checked radio of a group wins.
    Check({IdWiegand26, IdWiegand58, IdDirect, IdInverse, IdStatic, IdStandbyOff, IdPollOn, IdPollOff});
    CHECK(Build(BuildKruKrmCommand, kKruKrmWriteLength) == "AT+W261SO");

    // Nothing checked: never stale bytes.
    Check({});
    CHECK(Build(BuildKruKrmCommand, kKruKrmWriteLength) == "AT+TMX0AF");
}

TEST_CASE("the USB write command from the checked radios") {
    Check({IdModeAll, IdFormatTouchMemory, IdBytes4, IdCardsMifare});
    CHECK(Build(BuildUsbCommand, kUsbWriteLength) == "AT+ATMX4XM");
    Check({IdModeWindows, IdHexOrDec, IdDec, IdBytes3, IdCardsEmHid});
    CHECK(Build(BuildUsbCommand, kUsbWriteLength) == "AT+WHDD3EX");
    Check({IdModeWindows, IdHexOrDec, IdHex, IdBytes7, IdCardsAll});
    CHECK(Build(BuildUsbCommand, kUsbWriteLength) == "AT+WHDH7EM");

    // Touch Memory writes X whatever the (disabled) type radios hold.
    Check({IdModeWindows, IdFormatTouchMemory, IdHex, IdBytes5, IdCardsAll});
    CHECK(Build(BuildUsbCommand, kUsbWriteLength) == "AT+WTMX5EM");

    // First checked wins; the last choice of each group is the fallback.
    Check({IdModeWindows, IdHexOrDec, IdBytes5, IdBytes2, IdCardsEmHid, IdCardsMifare});
    CHECK(Build(BuildUsbCommand, kUsbWriteLength) == "AT+WHDD5EX");
    Check({});
    CHECK(Build(BuildUsbCommand, kUsbWriteLength) == "AT+ATMX2EM");
}

// Every valid choice of every field: parsed and written back, it gives the same characters.
TEST_CASE("settings read back from the reader are written back unchanged") {
    const char* interfaces[] = {"TMX", "W26", "W44", "W58"};
    int kruCount = 0;
    for (const char* i : interfaces)
        for (char indication : {'1', '0'})
            for (char standby : {'D', 'S', 'A'})
                for (char poll : {'O', 'F'}) {
                    std::string payload = std::string("1.10") + i + indication + standby + poll;
                    KruKrmFields f = ParseKru(payload.c_str());
                    Check({f.interfaceRadio, f.indicationRadio, f.standbyRadio, f.touchPollRadio});
                    CHECK(Build(BuildKruKrmCommand, kKruKrmWriteLength) == "AT+" + payload.substr(4));
                    ++kruCount;
                }
    CHECK(kruCount == 48);

    const char* formats[] = {"HDH", "HDD", "TMX"};
    const char* cards[] = {"EM", "EX", "XM"};
    int usbCount = 0;
    for (char mode : {'W', 'A'})
        for (const char* format : formats)
            for (char count : {'7', '5', '4', '3', '2'})
                for (const char* card : cards) {
                    std::string payload = std::string("2.00") + mode + format + count + card;
                    UsbFields f = ParseUsb(payload.c_str());
                    Check({f.modeRadio, f.formatRadio, f.byteCountRadio, f.cardsRadio});
                    if (f.formatRadio == IdHexOrDec) g_checked[f.typeRadio] = true;
                    CHECK(Build(BuildUsbCommand, kUsbWriteLength) == "AT+" + payload.substr(4));
                    ++usbCount;
                }
    CHECK(usbCount == 90);
}

TEST_CASE("cachedSettings: bounded, zero-filled copies of the payload") {
    char cached[kCachedSettingsSize];

    std::memset(cached, 'z', sizeof cached);
    CachePayload(Bytes("1.10TMX1DO"), kKruKrmPayloadLength, kKruKrmPayloadLength, cached);
    CHECK(std::string(cached) == "1.10TMX1DO");
    for (int i = kKruKrmPayloadLength; i < kCachedSettingsSize; ++i) CHECK(cached[i] == 0);

    // A reader sending more than ten characters: only ten are kept.
    CachePayload(Bytes("1.10TMX1DOEXTRA"), 15, kKruKrmPayloadLength, cached);
    CHECK(std::string(cached) == "1.10TMX1DO");

    std::memset(cached, 'z', sizeof cached);
    CachePayload(Bytes("1.10WHDH5EM"), kUsbPayloadLength, kUsbPayloadLength, cached);
    CHECK(std::string(cached) == "1.10WHDH5EM");
    CHECK(cached[kCachedSettingsSize - 1] == 0);

    // The copy stops at a zero byte and zero-fills behind it.
    const unsigned char cut[kUsbPayloadLength] = {'1', '.', '1', '0', 'W', 0, 'D', 'H', '5', 'E', 'M'};
    std::memset(cached, 'z', sizeof cached);
    CachePayload(cut, kUsbPayloadLength, kUsbPayloadLength, cached);
    CHECK(std::string(cached) == "1.10W");
    for (int i = 5; i < kCachedSettingsSize; ++i) CHECK(cached[i] == 0);

    // Fewer bytes than the payload's length.
    CachePayload(Bytes("1.10W"), 5, kUsbPayloadLength, cached);
    CHECK(std::string(cached) == "1.10W");

    // A count larger than the field never overflows it.
    CachePayload(Bytes("0123456789ABCDEFGHIJ"), 20, 20, cached);
    CHECK(std::string(cached) == "0123456789A");
}

TEST_CASE("cachedSettings: a write command replaces the settings behind the firmware label") {
    char cached[kCachedSettingsSize];
    CachePayload(Bytes("1.10TMX1DO"), kKruKrmPayloadLength, kKruKrmPayloadLength, cached);
    CacheCommandSettings("AT+W441SO", kKruKrmWriteLength, cached);
    CHECK(std::string(cached) == "1.10W441SO");

    CachePayload(Bytes("2.00WHDH5EM"), kUsbPayloadLength, kUsbPayloadLength, cached);
    CacheCommandSettings("AT+ATMX4XM", kUsbWriteLength, cached);
    CHECK(std::string(cached) == "2.00ATMX4XM");
    CHECK(cached[kCachedSettingsSize - 1] == 0);

    // With nothing read the label stays empty, so the string stays empty.
    std::memset(cached, 0, sizeof cached);
    CacheCommandSettings("AT+WHDD7EM", kUsbWriteLength, cached);
    CHECK(cached[0] == 0);
    CHECK(std::string(cached + 4) == "WHDD7EM");

    // A longer command is cut at the field's end.
    std::memset(cached, 0, sizeof cached);
    CacheCommandSettings("AT+0123456789", 13, cached);
    CHECK(std::string(cached + 4) == "0123456");
}
