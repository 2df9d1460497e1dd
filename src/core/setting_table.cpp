// SPDX-License-Identifier: Apache-2.0
#include "core/setting_table.h"

#include <string>

#include "core/commands.h"
#include "core/settings.h"
#include "core/ui_text.h"

namespace {

template <typename E>
constexpr int V(E e) { return static_cast<int>(e); }

// A caption that reads the same in both languages.
template <typename E>
constexpr ChoiceFacts Fixed(E value, const char* name, const char* code, const char* caption, LampColor lamp,
                            int radio) {
    return ChoiceFacts{V(value), name, code, kFixedCaption, caption, lamp, radio};
}

template <typename E>
constexpr ChoiceFacts Texted(E value, const char* name, const char* code, UiTextId caption, LampColor lamp,
                             int radio) {
    return ChoiceFacts{V(value), name, code, caption, nullptr, lamp, radio};
}

// Setting character offsets (0 is the first character after the firmware label).
constexpr int kInterfaceAt = 0, kIndicationAt = 3, kStandbyAt = 4, kTouchPollAt = 5;
constexpr int kModeAt = 0, kFormatAt = 1, kTypeAt = 3, kBytesAt = 4, kCardsAt = 5;

constexpr int kFirstFirmwareWithExtras = 110;

constexpr FirmwareRule kRules[] = {
    // "Wiegand 58": a KRM reader with firmware 1.10 or later.
    {kKruKrm, kInterfaceIndex, V(Interface::Wiegand58), kModelKrm, kFirstFirmwareWithExtras, false, 0, 0, 0},
    // 7 ID bytes: the USB reader with firmware 1.10 or later; with Touch Memory output above 1.10.
    {kUsb, kBytesIndex, V(ByteCount::Bytes7), kModelUsb, kFirstFirmwareWithExtras, true, kFormatIndex,
     V(OutputFormat::TouchMemory), kFirstFirmwareWithExtras},
};
constexpr const FirmwareRule* kWiegand58Rule = &kRules[0];
constexpr const FirmwareRule* kBytes7Rule = &kRules[1];

constexpr ChoiceFacts kInterfaces[] = {
    Fixed(Interface::TouchMemory, "touch-memory", "TMX", "Touch Memory", kRed, IdTouchMemory),
    Fixed(Interface::Wiegand26, "wiegand-26", "W26", "Wiegand 26", kGreen, IdWiegand26),
    Fixed(Interface::Wiegand44, "wiegand-44", "W44", "Wiegand 44", kCyan, IdWiegand44),
    Fixed(Interface::Wiegand58, "wiegand-58", "W58", "Wiegand 58", kMagenta, IdWiegand58),
};
// Direct is active '1', inverse active '0'.
constexpr ChoiceFacts kIndications[] = {
    Texted(Indication::Direct, "direct", "1", TextDirect, kRed, IdDirect),
    Texted(Indication::Inverse, "inverse", "0", TextInverse, kBlue, IdInverse),
};
constexpr ChoiceFacts kStandbys[] = {
    Texted(Standby::Dynamic, "dynamic", "D", TextDynamic, kRed, IdDynamic),
    Texted(Standby::Static, "static", "S", TextStatic, kGreen, IdStatic),
    Texted(Standby::Off, "off", "A", TextStandbyOff, kMagenta, IdStandbyOff),
};
constexpr ChoiceFacts kTouchPolls[] = {
    Texted(TouchPoll::On, "on", "O", TextPollOn, kRed, IdPollOn),
    Texted(TouchPoll::Off, "off", "F", TextPollOff, kYellow, IdPollOff),
};

constexpr ChoiceFacts kModes[] = {
    Fixed(UsbMode::Windows, "windows", "W", "WINDOWS", kCyan, IdModeWindows),
    Fixed(UsbMode::All, "all", "A", "Windows, Linux, MacOS", kMagenta, IdModeAll),
};
// Touch Memory output takes the type's character too: "TMX".
constexpr ChoiceFacts kFormats[] = {
    Texted(OutputFormat::HexOrDec, "hex-or-dec", "HD", TextHexOrDec, kWhite, IdHexOrDec),
    Fixed(OutputFormat::TouchMemory, "touch-memory", "TMX", "Touch Memory", kWhite, IdFormatTouchMemory),
};
constexpr ChoiceFacts kTypes[] = {
    Fixed(OutputType::Hex, "hex", "H", "HEX", kWhite, IdHex),
    Fixed(OutputType::Dec, "dec", "D", "DEC", kWhite, IdDec),
};
// There is no 6-byte choice.
constexpr ChoiceFacts kByteCounts[] = {
    Fixed(ByteCount::Bytes7, "7", "7", "7", kWhite, IdBytes7),
    Fixed(ByteCount::Bytes5, "5", "5", "5", kWhite, IdBytes5),
    Fixed(ByteCount::Bytes4, "4", "4", "4", kWhite, IdBytes4),
    Fixed(ByteCount::Bytes3, "3", "3", "3", kWhite, IdBytes3),
    Fixed(ByteCount::Bytes2, "2", "2", "2", kWhite, IdBytes2),
};
constexpr ChoiceFacts kCards[] = {
    Fixed(CardsToRead::All, "all", "EM", "HID, EM-Marine + MIFARE, Pay", kWhite, IdCardsAll),
    Fixed(CardsToRead::EmHid, "em-hid", "EX", "HID, EM-Marine", kWhite, IdCardsEmHid),
    Fixed(CardsToRead::Mifare, "mifare", "XM", "MIFARE, Pay", kWhite, IdCardsMifare),
};

constexpr SettingCondition kAlways = {false, 0, 0};

template <typename E, std::size_t N>
constexpr SettingFacts Setting(const char* name, const ChoiceFacts (&values)[N], int offset, UiTextId legend,
                               UiTextId notRecognized, int lamp, bool colorsLamp, E byDefault, E unchosen,
                               SettingCondition meaningfulWhen = kAlways, const FirmwareRule* rule = nullptr) {
    return SettingFacts{name,      values,     N, offset, legend, notRecognized, lamp, colorsLamp, V(byDefault),
                        V(unchosen), meaningfulWhen, rule};
}

// A write with a group unchosen carries what the window writes with no radio of it checked.
constexpr SettingFacts kKruKrmSettings[] = {
    Setting("interface", kInterfaces, kInterfaceAt, TextGroupInterfaces, TextBadInterface, 0, true,
            Interface::TouchMemory, Interface::TouchMemory, kAlways, kWiegand58Rule),
    Setting("indication", kIndications, kIndicationAt, TextGroupIndicationControl, TextBadIndicationControl, 1,
            true, Indication::Direct, Indication::Inverse),
    Setting("standby", kStandbys, kStandbyAt, TextGroupStandby, TextBadStandby, 2, true, Standby::Off, Standby::Off),
    Setting("touch-poll", kTouchPolls, kTouchPollAt, TextGroupTouchPoll, TextBadTouchPoll, 3, true, TouchPoll::Off,
            TouchPoll::Off),
};
constexpr SettingFacts kUsbSettings[] = {
    Setting("mode", kModes, kModeAt, TextGroupOperatingMode, TextBadOperatingMode, 0, true, UsbMode::Windows,
            UsbMode::All),
    Setting("format", kFormats, kFormatAt, TextGroupOutputFormat, TextBadOutputFormat, 1, false,
            OutputFormat::HexOrDec, OutputFormat::TouchMemory),
    // The type means something beside hex-or-dec output only.
    Setting("type", kTypes, kTypeAt, TextGroupOutputType, TextBadOutputType, 2, false, OutputType::Hex,
            OutputType::Dec, SettingCondition{true, kFormatIndex, V(OutputFormat::HexOrDec)}),
    Setting("bytes", kByteCounts, kBytesAt, TextGroupByteCount, TextBadByteCount, 3, false, ByteCount::Bytes5,
            ByteCount::Bytes2, kAlways, kBytes7Rule),
    Setting("cards", kCards, kCardsAt, TextGroupCardForRead, TextBadCardForRead, 4, false, CardsToRead::All,
            CardsToRead::All),
};

template <std::size_t N>
constexpr bool RulesPointHome(const SettingFacts (&settings)[N], int family) {
    for (const FirmwareRule& rule : kRules)
        if (rule.family == family && (rule.setting >= N || settings[rule.setting].rule != &rule)) return false;
    return true;
}
// Every code is one character or more and ends within the family's setting characters, so that
// encoding never writes past a command.
template <std::size_t N>
constexpr bool CodesFit(const SettingFacts (&settings)[N], int settingsLength) {
    for (const SettingFacts& setting : settings) {
        for (std::size_t k = 0; k < setting.valueCount; ++k) {
            const std::size_t length = std::char_traits<char>::length(setting.values[k].code);
            if (length == 0 || setting.offset + static_cast<int>(length) > settingsLength) return false;
        }
    }
    return true;
}
static_assert(CodesFit(kKruKrmSettings, kKruKrmSettingsLength) && CodesFit(kUsbSettings, kUsbSettingsLength),
              "setting codes fit the setting characters");
static_assert(RulesPointHome(kKruKrmSettings, kKruKrm) && RulesPointHome(kUsbSettings, kUsb),
              "each firmware rule names the setting that holds it");
static_assert(sizeof kKruKrmSettings / sizeof kKruKrmSettings[0] <= kMostSettings &&
                  sizeof kUsbSettings / sizeof kUsbSettings[0] <= kMostSettings && kMostSettings <= kLampCount,
              "a lamp for every setting");
static_assert(kUsbSettings[kSharedCardsSetting].legendTextId == TextGroupCardForRead, "the shared group");

}  // namespace

const SettingFacts* SettingsOf(int family, std::size_t* count) {
    if (family == kKruKrm) {
        *count = sizeof kKruKrmSettings / sizeof kKruKrmSettings[0];
        return kKruKrmSettings;
    }
    if (family == kUsb) {
        *count = sizeof kUsbSettings / sizeof kUsbSettings[0];
        return kUsbSettings;
    }
    *count = 0;
    return nullptr;
}

const SettingFacts* SettingOf(int family, std::size_t index) {
    std::size_t count = 0;
    const SettingFacts* settings = SettingsOf(family, &count);
    return index < count ? &settings[index] : nullptr;
}

const ChoiceFacts* ChoiceOf(const SettingFacts& setting, int value) {
    for (std::size_t k = 0; k < setting.valueCount; ++k)
        if (setting.values[k].value == value) return &setting.values[k];
    return nullptr;
}

int RadioOfValue(const SettingFacts& setting, int value) {
    const ChoiceFacts* choice = ChoiceOf(setting, value);
    return choice ? choice->radioId : kNoRadio;
}

int FirstRadioOf(const SettingFacts& setting) { return setting.values[0].radioId; }
int LastRadioOf(const SettingFacts& setting) { return setting.values[setting.valueCount - 1].radioId; }

const char* ChoiceCaption(const ChoiceFacts& choice, int language) {
    return choice.textId == kFixedCaption ? choice.caption : UiTextIn(language, static_cast<UiTextId>(choice.textId));
}

bool FindRadio(int radioId, RadioPlace* place) {
    for (int family : kReaderFamilies) {
        std::size_t count = 0;
        const SettingFacts* settings = SettingsOf(family, &count);
        for (std::size_t i = 0; i < count; ++i) {
            for (std::size_t k = 0; k < settings[i].valueCount; ++k) {
                if (settings[i].values[k].radioId != radioId) continue;
                if (place) *place = RadioPlace{family, i, &settings[i].values[k]};
                return true;
            }
        }
    }
    return false;
}

int NextValue(const SettingFacts& setting, int value) {
    for (std::size_t k = 0; k + 1 < setting.valueCount; ++k)
        if (setting.values[k].value == value) return setting.values[k + 1].value;
    return 0;
}

void DefaultLampColors(int family, LampColor colors[kLampCount]) {
    for (int lamp = 0; lamp < kLampCount; ++lamp) colors[lamp] = kWhite;
    std::size_t count = 0;
    const SettingFacts* settings = SettingsOf(family == kUsb ? kUsb : kKruKrm, &count);
    for (std::size_t i = 0; i < count; ++i) {
        const ChoiceFacts* choice = ChoiceOf(settings[i], settings[i].defaultValue);
        if (settings[i].colorsLamp && choice && settings[i].lamp >= 0 && settings[i].lamp < kLampCount)
            colors[settings[i].lamp] = choice->lamp;
    }
}

const FirmwareRule* FirmwareRules(std::size_t* count) {
    *count = sizeof kRules / sizeof kRules[0];
    return kRules;
}

const FirmwareRule* FirmwareRuleFor(int family, std::size_t setting) {
    const SettingFacts* facts = SettingOf(family, setting);
    return facts ? facts->rule : nullptr;
}
