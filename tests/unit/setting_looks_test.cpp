#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "core/family.h"
#include "core/setting_looks.h"
#include "core/setting_names.h"
#include "core/ui_text.h"
#include "gui/lamps.h"
#include "gui/setting_radios.h"

namespace {

// The window's radio of a choice, through its typed table.
int RadioOfChoice(int family, std::size_t setting, int value) {
    if (family == kKruKrm) {
        switch (setting) {
            case 0: return RadioFor(static_cast<Interface>(value));
            case 1: return RadioFor(static_cast<Indication>(value));
            case 2: return RadioFor(static_cast<Standby>(value));
            default: return RadioFor(static_cast<TouchPoll>(value));
        }
    }
    switch (setting) {
        case 0: return RadioFor(static_cast<UsbMode>(value));
        case 1: return RadioFor(static_cast<OutputFormat>(value));
        case 2: return RadioFor(static_cast<OutputType>(value));
        case 3: return RadioFor(static_cast<ByteCount>(value));
        default: return RadioFor(static_cast<CardsToRead>(value));
    }
}

}  // namespace

TEST_CASE("every named setting has its group look, one choice look per value") {
    for (int family : {kKruKrm, kUsb}) {
        std::size_t names = 0, looks = 0;
        const SettingName* named = SettingNamesOf(family, &names);
        const SettingLook* look = SettingLooksOf(family, &looks);
        REQUIRE(looks == names);
        for (std::size_t i = 0; i < names; ++i) {
            CAPTURE(named[i].name);
            CHECK(look[i].choiceCount == named[i].valueCount);
            CHECK(look[i].lamp == static_cast<int>(i));
            CHECK(std::strlen(UiTextIn(kEnglish, static_cast<UiTextId>(look[i].legendTextId))) > 0);
            for (std::size_t k = 0; k < look[i].choiceCount; ++k) {
                const ChoiceLook& choice = look[i].choices[k];
                CHECK((choice.textId == kFixedCaption) == (choice.caption != nullptr));
            }
        }
    }
    std::size_t count = 7;
    CHECK(SettingLooksOf(2, &count) == nullptr);
    CHECK(count == 0);
}

TEST_CASE("the page's lamp colours are the window's, radio by radio") {
    for (int family : {kKruKrm, kUsb}) {
        std::size_t names = 0, looks = 0;
        const SettingName* named = SettingNamesOf(family, &names);
        const SettingLook* look = SettingLooksOf(family, &looks);
        for (std::size_t i = 0; i < names; ++i) {
            for (std::size_t k = 0; k < named[i].valueCount; ++k) {
                const int radio = RadioOfChoice(family, i, named[i].values[k].value);
                CAPTURE(radio);
                int lamp = -1;
                LampColor color = 0;
                if (LampForRadio(radio, &lamp, &color)) {
                    CHECK(lamp == look[i].lamp);
                    CHECK(look[i].choices[k].lamp == color);
                } else {
                    // Groups whose choices leave their lamp alone keep it white.
                    CHECK(look[i].choices[k].lamp == kWhite);
                }
            }
        }
    }
    // The defaults' colours are those of the default choices.
    std::size_t count = 0;
    const SettingLook* kru = SettingLooksOf(kKruKrm, &count);
    CHECK(kKruKrmDefaultColors[0] == kru[0].choices[0].lamp);  // Touch Memory
    CHECK(kKruKrmDefaultColors[2] == kru[2].choices[2].lamp);  // standby off
    CHECK(kKruKrmDefaultColors[3] == kru[3].choices[1].lamp);  // touch poll off
}

TEST_CASE("captions: translated ones from the text table, the rest the same in both languages") {
    std::size_t count = 0;
    const SettingLook* kru = SettingLooksOf(kKruKrm, &count);
    CHECK(std::string(kru[0].choices[3].caption) == "Wiegand 58");
    CHECK(kru[1].choices[0].textId == TextDirect);
    CHECK(kru[2].choices[2].textId == TextStandbyOff);
    CHECK(kru[3].choices[1].textId == TextPollOff);
    const SettingLook* usb = SettingLooksOf(kUsb, &count);
    CHECK(usb[1].choices[0].textId == TextHexOrDec);
    CHECK(std::string(usb[1].choices[1].caption) == "Touch Memory");
    CHECK(std::string(usb[kSharedCardsSetting].choices[0].caption) == "HID, EM-Marine + MIFARE, Pay");
    CHECK(usb[kSharedCardsSetting].legendTextId == TextGroupCardForRead);
}

TEST_CASE("each group names the window's message for a value the reader holds that names no choice") {
    std::size_t count = 0;
    const SettingLook* kru = SettingLooksOf(kKruKrm, &count);
    CHECK(std::string(UiTextIn(kEnglish, static_cast<UiTextId>(kru[0].notRecognizedTextId))) ==
          "READER INTERFACE - NOT RECOGNIZED!");
    CHECK(kru[3].notRecognizedTextId == TextBadTouchPoll);
    const SettingLook* usb = SettingLooksOf(kUsb, &count);
    CHECK(usb[1].notRecognizedTextId == TextBadOutputFormat);
    CHECK(usb[2].notRecognizedTextId == TextBadOutputType);
    CHECK(std::string(UiTextIn(kEnglish, static_cast<UiTextId>(usb[4].notRecognizedTextId))) ==
          "CARD FOR READ - NOT RECOGNIZED!");
}
