// SPDX-License-Identifier: Apache-2.0
#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "core/family.h"
#include "core/setting_names.h"
#include "core/settings.h"
#include "gui/control_ids.h"
#include "gui/session.h"
#include "gui/setting_radios.h"
#include "gui/settings_cache.h"

namespace {

const unsigned char* Bytes(const char* text) { return reinterpret_cast<const unsigned char*>(text); }
int Length(const char* text) { return static_cast<int>(std::strlen(text)); }

KruKrmSettings Kru(const char* payload) { return DecodeKruKrmPayload(Bytes(payload), Length(payload)); }
UsbSettings Usb(const char* payload) { return DecodeUsbPayload(Bytes(payload), Length(payload)); }

// Encodes into a buffer filled with a marker so that bytes written past the command show.
constexpr char kMarker = '#';
constexpr int kBufferSize = 16;
template <typename Settings>
std::string Encode(int (*encode)(const Settings&, char*), const Settings& settings, int expectedLength) {
    char buffer[kBufferSize];
    std::memset(buffer, kMarker, sizeof buffer);
    int length = encode(settings, buffer);
    CHECK(length == expectedLength);
    for (int i = expectedLength; i < kBufferSize; ++i) CHECK(buffer[i] == kMarker);
    return std::string(buffer, static_cast<size_t>(length));
}
std::string KruCommand(const KruKrmSettings& s) { return Encode(EncodeKruKrmCommand, s, kKruKrmWriteLength); }
std::string UsbCommand(const UsbSettings& s) { return Encode(EncodeUsbCommand, s, kUsbWriteLength); }

// The radios the window's encoder sees as checked, by control id.
bool g_checked[IdCardsMifare + 1];
bool IsChecked(int id) { return id >= 0 && id <= IdCardsMifare && g_checked[id]; }
void Check(std::initializer_list<int> ids) {
    std::memset(g_checked, 0, sizeof g_checked);
    for (int id : ids) g_checked[id] = true;
}

}  // namespace

TEST_CASE("KRU/KRM payloads: unrecognised fields are told apart, the rest still decoded") {
    KruKrmSettings s = Kru("1.10W271DO");
    CHECK(s.interface == Interface::NotRecognized);
    CHECK(s.indication == Indication::Direct);
    CHECK(s.standby == Standby::Dynamic);
    CHECK(s.touchPoll == TouchPoll::On);
    CHECK_FALSE(IsComplete(s));

    // Lower case is not the reader's language; the digit survives.
    s = Kru("1.10tmx1do");
    CHECK(s.interface == Interface::NotRecognized);
    CHECK(s.indication == Indication::Direct);
    CHECK(s.standby == Standby::NotRecognized);
    CHECK(s.touchPoll == TouchPoll::NotRecognized);

    s = Kru("1.10XYZ2QQ");
    CHECK(s.interface == Interface::NotRecognized);
    CHECK(s.indication == Indication::NotRecognized);
    CHECK(s.standby == Standby::NotRecognized);
    CHECK(s.touchPoll == TouchPoll::NotRecognized);

    // Partial interface codes and codes of the other family.
    CHECK(Kru("1.10TMY1DO").interface == Interface::NotRecognized);
    CHECK(Kru("1.10W5 1DO").interface == Interface::NotRecognized);
    CHECK(Kru("1.10WHD1DO").interface == Interface::NotRecognized);
    CHECK(Kru("1.10TMX2DO").indication == Indication::NotRecognized);
    CHECK(IsComplete(Kru("1.00W580AF")));
}

TEST_CASE("KRU/KRM payloads cut short are never read past their length") {
    // Only "1.10TMX1" arrived: both last fields are missing.
    KruKrmSettings s = DecodeKruKrmPayload(Bytes("1.10TMX1DO"), 8);
    CHECK(s.interface == Interface::TouchMemory);
    CHECK(s.indication == Indication::Direct);
    CHECK(s.standby == Standby::NotRecognized);
    CHECK(s.touchPoll == TouchPoll::NotRecognized);

    CHECK(DecodeKruKrmPayload(Bytes("1.10TM"), 6).interface == Interface::NotRecognized);

    // A zero byte in the middle of the reply buffer.
    const unsigned char zeroed[kKruKrmPayloadLength] = {'1', '.', '1', '0', 'T', 'M', 'X', 0, 'D', 'O'};
    s = DecodeKruKrmPayload(zeroed, kKruKrmPayloadLength);
    CHECK(s.indication == Indication::NotRecognized);
    CHECK(s.standby == Standby::Dynamic);

    s = DecodeKruKrmPayload(nullptr, 0);
    CHECK(s.interface == Interface::NotRecognized);
    CHECK(s.touchPoll == TouchPoll::NotRecognized);
}

TEST_CASE("USB payloads: unrecognised fields") {
    // There is no 6 (nor 0, 1 or 8) bytes.
    for (const char* payload : {"1.10WHDH6EM", "1.10WHDH0EM", "1.10WHDH1EM", "1.10WHDH8EM"}) {
        UsbSettings s = Usb(payload);
        CHECK(s.bytes == ByteCount::NotRecognized);
        CHECK(s.cards == CardsToRead::All);
    }

    // H followed by anything but D is a bad format; its type character is not looked at.
    UsbSettings s = Usb("1.10WHXH5EM");
    CHECK(s.format == OutputFormat::NotRecognized);
    CHECK(s.type == OutputType::NotRecognized);
    CHECK(s.mode == UsbMode::Windows);
    CHECK(s.bytes == ByteCount::Bytes5);

    // A good format with a bad type.
    s = Usb("1.10WHDQ5EM");
    CHECK(s.format == OutputFormat::HexOrDec);
    CHECK(s.type == OutputType::NotRecognized);
    CHECK_FALSE(IsComplete(s));

    // Touch Memory needs all three characters, and then has no type.
    CHECK(Usb("1.10WTMH5EM").format == OutputFormat::NotRecognized);
    CHECK(Usb("1.10WTXX5EM").format == OutputFormat::NotRecognized);
    CHECK(Usb("1.10WXMX5EM").format == OutputFormat::NotRecognized);
    CHECK(IsComplete(Usb("1.10ATMX4XM")));

    s = Usb("1.10whdh5em");
    CHECK(s.mode == UsbMode::NotRecognized);
    CHECK(s.format == OutputFormat::NotRecognized);
    CHECK(s.bytes == ByteCount::Bytes5);
    CHECK(s.cards == CardsToRead::NotRecognized);

    CHECK(Usb("1.10WHDH5ME").cards == CardsToRead::NotRecognized);
    CHECK(Usb("1.10WHDH5XX").cards == CardsToRead::NotRecognized);
    CHECK(Usb("1.10WHDH5EE").cards == CardsToRead::NotRecognized);
}

TEST_CASE("USB payloads cut short are never read past their length") {
    UsbSettings s = DecodeUsbPayload(Bytes("1.10WHDH5EM"), 10);
    CHECK(s.bytes == ByteCount::Bytes5);
    CHECK(s.cards == CardsToRead::NotRecognized);

    s = DecodeUsbPayload(Bytes("1.10WHD"), 7);
    CHECK(s.mode == UsbMode::Windows);
    CHECK(s.format == OutputFormat::HexOrDec);
    CHECK(s.type == OutputType::NotRecognized);
    CHECK(s.bytes == ByteCount::NotRecognized);

    CHECK(DecodeUsbPayload(Bytes("1.10"), 4).mode == UsbMode::NotRecognized);
    CHECK(DecodeUsbPayload(Bytes("1.10WHDH5EM"), -3).mode == UsbMode::NotRecognized);
}

TEST_CASE("write commands from named settings; a value naming no choice writes the page default") {
    CHECK(KruCommand({Interface::Wiegand44, Indication::Direct, Standby::Static, TouchPoll::On}) == "AT+W441SO");
    CHECK(KruCommand({Interface::TouchMemory, Indication::Inverse, Standby::Off, TouchPoll::Off}) == "AT+TMX0AF");
    CHECK(KruCommand({Interface::Wiegand58, Indication::Direct, Standby::Dynamic, TouchPoll::On}) == "AT+W581DO");
    CHECK(KruCommand({}) == "AT+TMX0AF");

    CHECK(UsbCommand({UsbMode::All, OutputFormat::TouchMemory, OutputType::NotRecognized, ByteCount::Bytes4,
                      CardsToRead::Mifare}) == "AT+ATMX4XM");
    CHECK(UsbCommand({UsbMode::Windows, OutputFormat::HexOrDec, OutputType::Dec, ByteCount::Bytes3,
                      CardsToRead::EmHid}) == "AT+WHDD3EX");
    // Touch Memory writes X whatever the type holds.
    CHECK(UsbCommand({UsbMode::Windows, OutputFormat::TouchMemory, OutputType::Hex, ByteCount::Bytes5,
                      CardsToRead::All}) == "AT+WTMX5EM");
    CHECK(UsbCommand({}) == "AT+ATMX2EM");
}

// Every valid choice of every field: decoded, named, parsed back by name and encoded, it gives
// the same characters; and the window's radios for it give the same command.
TEST_CASE("settings read from the reader are written back unchanged, by value, by name and by radio") {
    std::size_t kruNames = 0;
    const SettingFacts* kru = SettingsOf(kKruKrm, &kruNames);
    REQUIRE(kruNames == 4);
    int kruCount = 0;
    for (const char* i : {"TMX", "W26", "W44", "W58"})
        for (char indication : {'1', '0'})
            for (char standby : {'D', 'S', 'A'})
                for (char poll : {'O', 'F'}) {
                    const std::string payload = std::string("1.10") + i + indication + standby + poll;
                    const KruKrmSettings s = Kru(payload.c_str());
                    REQUIRE(IsComplete(s));
                    CHECK(KruCommand(s) == "AT+" + payload.substr(4));

                    KruKrmSettings named = {};
                    for (std::size_t n = 0; n < kruNames; ++n) {
                        const char* text = SettingValueText(kru[n], KruKrmSettingValue(s, n));
                        SetKruKrmSettingValue(&named, n, FindSettingValue(*FindSettingName(kKruKrm, kru[n].name), text));
                    }
                    CHECK(KruCommand(named) == "AT+" + payload.substr(4));

                    Check({RadioFor(s.interface), RadioFor(s.indication), RadioFor(s.standby), RadioFor(s.touchPoll)});
                    CHECK(KruCommand(KruKrmFromRadios(IsChecked)) == "AT+" + payload.substr(4));
                    ++kruCount;
                }
    CHECK(kruCount == 48);

    std::size_t usbNames = 0;
    const SettingFacts* usb = SettingsOf(kUsb, &usbNames);
    REQUIRE(usbNames == 5);
    int usbCount = 0;
    for (char mode : {'W', 'A'})
        for (const char* format : {"HDH", "HDD", "TMX"})
            for (char count : {'7', '5', '4', '3', '2'})
                for (const char* card : {"EM", "EX", "XM"}) {
                    const std::string payload = std::string("2.00") + mode + format + count + card;
                    const UsbSettings s = Usb(payload.c_str());
                    REQUIRE(IsComplete(s));
                    CHECK(UsbCommand(s) == "AT+" + payload.substr(4));

                    UsbSettings named = {};
                    for (std::size_t n = 0; n < usbNames; ++n) {
                        const int value = UsbSettingValue(s, n);
                        if (value == 0) continue;  // the type of Touch Memory output
                        SetUsbSettingValue(&named, n, FindSettingValue(usb[n], SettingValueText(usb[n], value)));
                    }
                    CHECK(UsbCommand(named) == "AT+" + payload.substr(4));

                    Check({RadioFor(s.mode), RadioFor(s.format), RadioFor(s.bytes), RadioFor(s.cards)});
                    if (s.format == OutputFormat::HexOrDec) g_checked[RadioFor(s.type)] = true;
                    CHECK(UsbCommand(UsbFromRadios(IsChecked)) == "AT+" + payload.substr(4));
                    ++usbCount;
                }
    CHECK(usbCount == 90);
}

TEST_CASE("names: unknown names and values are refused; the other family's names are not this one's") {
    CHECK(FindSettingName(kKruKrm, "interface") != nullptr);
    CHECK(FindSettingName(kUsb, "interface") == nullptr);
    CHECK(FindSettingName(kKruKrm, "bytes") == nullptr);
    CHECK(FindSettingName(kKruKrm, "Interface") == nullptr);
    CHECK(FindSettingName(2, "interface") == nullptr);
    const SettingFacts* bytes = FindSettingName(kUsb, "bytes");
    REQUIRE(bytes != nullptr);
    CHECK(FindSettingValue(*bytes, "6") == -1);
    CHECK(FindSettingValue(*bytes, "") == -1);
    CHECK(FindSettingValue(*bytes, "7") == static_cast<int>(ByteCount::Bytes7));
    CHECK(std::string(SettingValueText(*bytes, 0)) == "not-recognized");
}

TEST_CASE("the window's radios: each group's first checked radio; none checked writes the page default") {
    Check({IdWiegand26, IdWiegand58, IdDirect, IdInverse, IdStatic, IdStandbyOff, IdPollOn, IdPollOff});
    CHECK(KruCommand(KruKrmFromRadios(IsChecked)) == "AT+W261SO");
    Check({});
    CHECK(KruCommand(KruKrmFromRadios(IsChecked)) == "AT+TMX0AF");
    Check({IdModeWindows, IdHexOrDec, IdBytes5, IdBytes2, IdCardsEmHid, IdCardsMifare});
    CHECK(UsbCommand(UsbFromRadios(IsChecked)) == "AT+WHDD5EX");
    Check({IdModeWindows, IdFormatTouchMemory, IdHex, IdBytes5, IdCardsAll});
    CHECK(UsbCommand(UsbFromRadios(IsChecked)) == "AT+WTMX5EM");
    Check({});
    CHECK(UsbCommand(UsbFromRadios(IsChecked)) == "AT+ATMX2EM");
    CHECK(RadioFor(Interface::NotRecognized) == kNoRadio);
    CHECK(RadioFor(ByteCount::Bytes2) == IdBytes2);
}

// Every model letter against every firmware label, supported and not.
TEST_CASE("firmware rules for each model letter and firmware label") {
    struct Label {
        const char* text;
        int version;  // as the reply gives it
        bool supported;
    };
    const Label labels[] = {{"1.00", 100, true},  {"1.10", 110, true},  {"2.00", 200, true},
                            {"0.90", 90, false},  {"1.05", 105, false}, {"1.20", 120, false},
                            {"2.10", 210, false}, {"x.xx", 0, false},   {"1.1", 11, false}};
    for (const Label& label : labels) {
        CAPTURE(label.text);
        CHECK(CheckFirmwareVersion(kKruKrm, label.text) == label.supported);
        CHECK(CheckFirmwareVersion(kUsb, label.text) == label.supported);
        CHECK_FALSE(CheckFirmwareVersion(2, label.text));
        for (char model : {'U', 'M', 'X', 'B', '\0'}) {
            CAPTURE(model);
            const int v = label.version;
            CHECK(Wiegand58Allowed(v, model) == (model == 'M' && v >= 110));
            CHECK(Bytes7Allowed(v, model, OutputFormat::HexOrDec) == (model == 'B' && v >= 110));
            CHECK(Bytes7Allowed(v, model, OutputFormat::TouchMemory) == (model == 'B' && v > 110));
            const Availability w58 = Wiegand58Availability(v, model);
            CHECK(w58 == (v <= 100 ? AvailabilityDisable : (model == 'M' && v >= 110) ? AvailabilityEnable : AvailabilityKeep));
            const Availability b7 = Bytes7Availability(v, model);
            CHECK(b7 == (v <= 100 ? AvailabilityDisable : (model == 'B' && v >= 110) ? AvailabilityEnable : AvailabilityKeep));
            CHECK(TouchMemoryDisablesBytes7(v) == (v <= 110));
        }
    }
    CHECK_FALSE(CheckFirmwareVersion(kKruKrm, nullptr));
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
