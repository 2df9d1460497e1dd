// SPDX-License-Identifier: Apache-2.0
// The rules both front-ends and the browser page share: a reader's settings whatever its
// family, the model names, the card query's firmware limit, the USB reader's identity and the
// firmware rule table.
#include <doctest/doctest.h>

#include <string>

#include "core/card_id.h"
#include "core/family.h"
#include "core/firmware_rules.h"
#include "core/reader_model.h"
#include "core/reader_settings.h"
#include "core/setting_names.h"
#include "core/usb_identity.h"

namespace {

// "name=value ..." of every setting, in the family's order.
std::string Named(const ReaderSettings& settings) {
    std::string text;
    for (const NamedSetting& s : NamedReaderSettings(settings)) text += (text.empty() ? "" : " ") + std::string(s.name) + "=" + s.value;
    return text;
}

std::string Label(int version) {
    char label[8];
    FormatFirmwareLabel(version, label, sizeof label);
    return label;
}

}  // namespace

TEST_CASE("a reader's settings whatever its family: decode, encode, values by name, completeness") {
    const ReaderSettings kru = DecodeReaderSettings(kKruKrm, std::string("W441SO"));
    CHECK(Named(kru) == "interface=wiegand-44 indication=direct standby=static touch-poll=on");
    CHECK(EncodeReaderSettings(kru) == "W441SO");
    CHECK(ReaderSettingsComplete(kru));
    CHECK(std::string(ReaderSettingValueName(kru, "standby")) == "static");
    CHECK(ReaderSettingValueName(kru, "mode") == nullptr);  // the other family's name
    CHECK(ReaderSettingValueName(kru, 4) == nullptr);

    const ReaderSettings usb = DecodeReaderSettings(kUsb, std::string("ATMX7XM"));
    CHECK(Named(usb) == "mode=all format=touch-memory type=none bytes=7 cards=mifare");
    CHECK(EncodeReaderSettings(usb) == "ATMX7XM");
    CHECK(ReaderSettingsComplete(usb));
    CHECK_FALSE(ReaderSettingMeaningful(usb, kTypeIndex));

    ReaderSettings changed = usb;
    SetReaderSettingValue(&changed, kFormatIndex, static_cast<int>(OutputFormat::HexOrDec));
    CHECK_FALSE(ReaderSettingsComplete(changed));  // hex-or-dec needs a type
    CHECK(std::string(ReaderSettingValueName(changed, "type")) == "not-recognized");
    SetReaderSettingValue(&changed, static_cast<std::size_t>(ReaderSettingIndex(changed, "type")),
                          static_cast<int>(OutputType::Dec));
    CHECK(EncodeReaderSettings(changed) == "AHDD7XM");

    // Short, long, foreign or missing text never reads past what it is given.
    const ReaderSettings cut = DecodeReaderSettings(kKruKrm, "W26", 3);
    CHECK(Named(cut) == "interface=wiegand-26 indication=not-recognized standby=not-recognized "
                        "touch-poll=not-recognized");
    CHECK_FALSE(ReaderSettingsComplete(cut));
    CHECK(Named(DecodeReaderSettings(kUsb, std::string("WHDH5EMXXXXXXX"))) ==
          "mode=windows format=hex-or-dec type=hex bytes=5 cards=all");
    CHECK_FALSE(ReaderSettingsComplete(DecodeReaderSettings(kUsb, nullptr, 7)));
    // Any family value but the USB reader's is the KRU/KRM family, as the window's tab.
    CHECK(DecodeReaderSettings(7, std::string("TMX0AF")).family == kKruKrm);

    CHECK(std::string(SettingsQueryOf(kKruKrm)) == "AT+READS_KRX");
    CHECK(std::string(SettingsQueryOf(kUsb)) == "AT+READS_USB");
    CHECK((SettingsLengthOf(kKruKrm) == 6 && SettingsLengthOf(kUsb) == 7));
    CHECK((PayloadLengthOf(kKruKrm) == 10 && PayloadLengthOf(kUsb) == 11));
}

TEST_CASE("model letters, the card query's firmware limit and the USB reader's identity, decided once") {
    CHECK(ModelOfLetter('U') == ReaderModel::Kru);
    CHECK(ModelOfLetter('M') == ReaderModel::Krm);
    CHECK(ModelOfLetter('B') == ReaderModel::Usb);
    for (char letter : {'X', 'u', '\0', 'Z'}) CHECK(ModelOfLetter(letter) == ReaderModel::None);
    CHECK(std::string(ModelShortName(ReaderModel::Krm)) == "KRM");
    CHECK(ModelShortName(ReaderModel::None) == nullptr);
    CHECK(std::string(ModelFullName(ReaderModel::Usb)) == "Vireo-4-USB");
    char title[32];
    FormatCardIdTitle('X', 110, title, sizeof title);
    CHECK(std::string(title) == "Vireo-4xxx ver.1.10");

    CHECK_FALSE(CardQuerySupported(100));
    CHECK_FALSE(CardQuerySupported(0));
    CHECK(CardQuerySupported(110));
    CHECK(CardQuerySupported(200));

    // Windows' hardware id and Linux's sysfs attributes answer the same question.
    CHECK(IsUsbReaderHardwareId("USB\\VID_2E3C&PID_5750&REV_0200"));
    CHECK(IsUsbReaderHardwareId("USB\\Vid_2e3c&Pid_5750&Rev_0200"));
    CHECK_FALSE(IsUsbReaderHardwareId("USB\\VID_2E3C&PID_5750&REV_0100"));
    CHECK_FALSE(IsUsbReaderHardwareId(nullptr));
    CHECK(IsUsbReaderDevice("2e3c", "5750", "0200"));
    CHECK(IsUsbReaderDevice("2E3C", "5750", "0200"));
    CHECK_FALSE(IsUsbReaderDevice("2e3c", "5750", "0100"));  // another revision, as the window decides
    CHECK_FALSE(IsUsbReaderDevice("2e3c", "5750", ""));      // no revision known
    CHECK_FALSE(IsUsbReaderDevice("2e3c", "5750", "02000"));
    CHECK_FALSE(IsUsbReaderDevice("2e3c", "5751", "0200"));
    CHECK_FALSE(IsUsbReaderDevice(nullptr, "5750", "0200"));
}

TEST_CASE("the firmware rule table: one rule per choice some readers lack, worded from its data") {
    std::size_t count = 0;
    const FirmwareRule* rules = FirmwareRules(&count);
    REQUIRE(count == 2);
    const FirmwareRule* wiegand58 = FirmwareRuleFor(kKruKrm, kInterfaceIndex);
    const FirmwareRule* bytes7 = FirmwareRuleFor(kUsb, kBytesIndex);
    REQUIRE((wiegand58 == &rules[0] && bytes7 == &rules[1]));
    CHECK(FirmwareRuleFor(kUsb, kModeIndex) == nullptr);
    CHECK(wiegand58->value == static_cast<int>(Interface::Wiegand58));
    CHECK((bytes7->conditional && bytes7->conditionSetting == kFormatIndex));
    CHECK(Label(wiegand58->minFirmware) == "1.10");
    CHECK(Label(bytes7->aboveFirmware) == "1.10");
    CHECK(Label(200) == "2.00");
    CHECK(Label(-5) == "0.00");
    char tiny[3];
    FormatFirmwareLabel(110, tiny, sizeof tiny);
    CHECK(std::string(tiny) == "1.");
}
