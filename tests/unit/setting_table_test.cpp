// SPDX-License-Identifier: Apache-2.0
#include <doctest/doctest.h>

#include <cstring>
#include <set>
#include <string>

#include "core/family.h"
#include "core/reader_settings.h"
#include "core/setting_names.h"
#include "core/setting_table.h"
#include "core/ui_text.h"
#include "gui/control_ids.h"

namespace {

// The family's page defaults, with one setting's choice written in by its code.
std::string Chars(int family, std::size_t index, const ChoiceFacts& choice) {
    std::size_t count = 0;
    const SettingFacts* settings = SettingsOf(family, &count);
    ReaderSettings defaults{family, KruKrmSettings{}, UsbSettings{}};
    for (std::size_t i = 0; i < count; ++i) SetReaderSettingValue(&defaults, i, settings[i].defaultValue);
    std::string chars = EncodeReaderSettings(defaults);
    const SettingFacts& setting = settings[index];
    chars.replace(static_cast<std::size_t>(setting.offset), std::strlen(choice.code), choice.code);
    return chars;
}

}  // namespace

TEST_CASE("the table: radio ids unique and found again, off the window's other ids") {
    std::set<int> radios;
    for (int family : kReaderFamilies) {
        std::size_t count = 0;
        const SettingFacts* settings = SettingsOf(family, &count);
        REQUIRE(settings != nullptr);
        for (std::size_t i = 0; i < count; ++i) {
            for (std::size_t k = 0; k < settings[i].valueCount; ++k) {
                const ChoiceFacts& choice = settings[i].values[k];
                CAPTURE(choice.radioId);
                CHECK(radios.insert(choice.radioId).second);
                RadioPlace place{};
                REQUIRE(FindRadio(choice.radioId, &place));
                CHECK((place.family == family && place.setting == i && place.choice == &choice));
                // A group's radios run in one block of ids, as CheckRadioButton needs.
                CHECK(choice.radioId == FirstRadioOf(settings[i]) + static_cast<int>(k));
            }
        }
    }
    for (int id : {IdPortCombo, IdSearch, IdRead, IdWrite, IdQuit, IdRussian, IdEnglish, IdReadId, IdHelp, IdAbout,
                   IdVersionLabel, IdVersionValue}) {
        CHECK(radios.count(id) == 0);
        CHECK_FALSE(FindRadio(id, nullptr));
    }
    std::size_t count = 7;
    CHECK(SettingsOf(2, &count) == nullptr);
    CHECK(count == 0);
    CHECK(SettingOf(kUsb, kMostSettings) == nullptr);
}

TEST_CASE("the table: each choice's characters decode to it, and it encodes to them") {
    for (int family : kReaderFamilies) {
        std::size_t count = 0;
        const SettingFacts* settings = SettingsOf(family, &count);
        REQUIRE(count <= kMostSettings);
        for (std::size_t i = 0; i < count; ++i) {
            const SettingFacts& setting = settings[i];
            CAPTURE(setting.name);
            CHECK(ChoiceOf(setting, setting.defaultValue) != nullptr);
            CHECK(ChoiceOf(setting, setting.unchosenValue) != nullptr);
            CHECK(ChoiceOf(setting, 0) == nullptr);
            for (std::size_t k = 0; k < setting.valueCount; ++k) {
                const ChoiceFacts& choice = setting.values[k];
                CAPTURE(choice.name);
                CHECK(choice.value != 0);
                CHECK(setting.offset + static_cast<int>(std::strlen(choice.code)) <= SettingsLengthOf(family));
                const ReaderSettings decoded = DecodeReaderSettings(family, Chars(family, i, choice));
                CHECK(ReaderSettingValue(decoded, i) == choice.value);
                const std::string written = EncodeReaderSettings(decoded);
                CHECK(written.compare(static_cast<std::size_t>(setting.offset), std::strlen(choice.code), choice.code) == 0);
                CHECK(FindSettingValue(setting, choice.name) == choice.value);
            }
        }
    }
}

TEST_CASE("the table: firmware rules govern a choice of their own setting, their conditions on their family's settings") {
    std::size_t count = 0;
    const FirmwareRule* rules = FirmwareRules(&count);
    REQUIRE(count == 2);
    for (std::size_t r = 0; r < count; ++r) {
        const FirmwareRule& rule = rules[r];
        const SettingFacts* setting = SettingOf(rule.family, rule.setting);
        REQUIRE(setting != nullptr);
        CHECK(setting->rule == &rule);
        CHECK(FirmwareRuleFor(rule.family, rule.setting) == &rule);
        REQUIRE(ChoiceOf(*setting, rule.value) != nullptr);
        // Neither the page default nor what a write carries unchosen is a choice some readers lack.
        CHECK(setting->defaultValue != rule.value);
        CHECK(setting->unchosenValue != rule.value);
        if (rule.conditional) {
            // The condition met takes the choice away: a checked radio gives way to the next.
            CHECK(NextValue(*setting, rule.value) != 0);
            const SettingFacts* condition = SettingOf(rule.family, rule.conditionSetting);
            REQUIRE(condition != nullptr);
            CHECK(ChoiceOf(*condition, rule.conditionValue) != nullptr);
        }
    }
    const SettingFacts& bytes = *SettingOf(kUsb, kBytesIndex);
    CHECK(NextValue(bytes, static_cast<int>(ByteCount::Bytes7)) == static_cast<int>(ByteCount::Bytes5));
    CHECK(NextValue(bytes, static_cast<int>(ByteCount::Bytes2)) == 0);
    CHECK(NextValue(bytes, 0) == 0);
}

TEST_CASE("the table: lamps, legends and captions") {
    for (int family : kReaderFamilies) {
        std::size_t count = 0;
        const SettingFacts* settings = SettingsOf(family, &count);
        for (std::size_t i = 0; i < count; ++i) {
            CAPTURE(settings[i].name);
            CHECK(settings[i].lamp == static_cast<int>(i));
            CHECK(std::strlen(UiTextIn(kEnglish, static_cast<UiTextId>(settings[i].legendTextId))) > 0);
            for (std::size_t k = 0; k < settings[i].valueCount; ++k) {
                const ChoiceFacts& choice = settings[i].values[k];
                CHECK((choice.textId == kFixedCaption) == (choice.caption != nullptr));
                // Groups whose choices leave their lamp alone keep it white.
                if (!settings[i].colorsLamp) CHECK(choice.lamp == kWhite);
            }
        }
    }
    const SettingFacts& interface = *SettingOf(kKruKrm, kInterfaceIndex);
    CHECK(std::string(interface.values[3].caption) == "Wiegand 58");
    CHECK(SettingOf(kKruKrm, kIndicationIndex)->values[0].textId == TextDirect);
    CHECK(SettingOf(kKruKrm, kStandbyIndex)->values[2].textId == TextStandbyOff);
    CHECK(SettingOf(kUsb, kFormatIndex)->values[0].textId == TextHexOrDec);
    CHECK(std::string(SettingOf(kUsb, kFormatIndex)->values[1].caption) == "Touch Memory");
    const SettingFacts& cards = *SettingOf(kUsb, kSharedCardsSetting);
    CHECK(std::string(cards.values[0].caption) == "HID, EM-Marine + MIFARE, Pay");
    CHECK(cards.legendTextId == TextGroupCardForRead);
    CHECK(std::string(UiTextIn(kEnglish, static_cast<UiTextId>(interface.notRecognizedTextId))) ==
          "READER INTERFACE - NOT RECOGNIZED!");
    CHECK(std::string(UiTextIn(kEnglish, static_cast<UiTextId>(cards.notRecognizedTextId))) ==
          "CARD FOR READ - NOT RECOGNIZED!");
    CHECK(SettingOf(kUsb, kTypeIndex)->notRecognizedTextId == TextBadOutputType);

    LampColor colors[kLampCount] = {};
    DefaultLampColors(kKruKrm, colors);
    CHECK(colors[0] == interface.values[0].lamp);  // Touch Memory
    CHECK(colors[kLampCount - 1] == kWhite);       // the shared group's lamp
    DefaultLampColors(7, colors);                  // any other family: the KRU/KRM page
    CHECK(colors[0] == interface.values[0].lamp);
}
