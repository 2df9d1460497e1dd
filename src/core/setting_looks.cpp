#include "core/setting_looks.h"

#include "core/family.h"
#include "core/ui_text.h"

namespace {

constexpr ChoiceLook Fixed(const char* caption, LampColor lamp) { return ChoiceLook{kFixedCaption, caption, lamp}; }
constexpr ChoiceLook Texted(UiTextId id, LampColor lamp) { return ChoiceLook{id, nullptr, lamp}; }

constexpr ChoiceLook kInterfaces[] = {
    Fixed(kCaptionTouchMemory, kRed), Fixed(kCaptionWiegand26, kGreen),
    Fixed(kCaptionWiegand44, kCyan), Fixed(kCaptionWiegand58, kMagenta),
};
constexpr ChoiceLook kIndications[] = {Texted(TextDirect, kRed), Texted(TextInverse, kBlue)};
constexpr ChoiceLook kStandbys[] = {
    Texted(TextDynamic, kRed), Texted(TextStatic, kGreen), Texted(TextStandbyOff, kMagenta)};
constexpr ChoiceLook kTouchPolls[] = {Texted(TextPollOn, kRed), Texted(TextPollOff, kYellow)};

constexpr ChoiceLook kModes[] = {Fixed(kCaptionWindows, kCyan), Fixed(kCaptionAllSystems, kMagenta)};
constexpr ChoiceLook kFormats[] = {Texted(TextHexOrDec, kWhite), Fixed(kCaptionTouchMemory, kWhite)};
constexpr ChoiceLook kTypes[] = {Fixed(kCaptionHex, kWhite), Fixed(kCaptionDec, kWhite)};
constexpr ChoiceLook kByteCounts[] = {
    Fixed(kCaptionBytes7, kWhite), Fixed(kCaptionBytes5, kWhite), Fixed(kCaptionBytes4, kWhite),
    Fixed(kCaptionBytes3, kWhite), Fixed(kCaptionBytes2, kWhite),
};
constexpr ChoiceLook kCards[] = {
    Fixed(kCaptionAllCards, kWhite), Fixed(kCaptionEmHidCards, kWhite), Fixed(kCaptionMifareCards, kWhite)};

template <std::size_t N>
constexpr SettingLook Group(UiTextId legend, UiTextId notRecognized, int lamp, const ChoiceLook (&choices)[N]) {
    return SettingLook{legend, notRecognized, lamp, choices, N};
}

constexpr SettingLook kKruKrmLooks[] = {
    Group(TextGroupInterfaces, TextBadInterface, 0, kInterfaces),
    Group(TextGroupIndicationControl, TextBadIndicationControl, 1, kIndications),
    Group(TextGroupStandby, TextBadStandby, 2, kStandbys),
    Group(TextGroupTouchPoll, TextBadTouchPoll, 3, kTouchPolls),
};
constexpr SettingLook kUsbLooks[] = {
    Group(TextGroupOperatingMode, TextBadOperatingMode, 0, kModes),
    Group(TextGroupOutputFormat, TextBadOutputFormat, 1, kFormats),
    Group(TextGroupOutputType, TextBadOutputType, 2, kTypes),
    Group(TextGroupByteCount, TextBadByteCount, 3, kByteCounts),
    Group(TextGroupCardForRead, TextBadCardForRead, 4, kCards),
};

}  // namespace

const SettingLook* SettingLooksOf(int family, std::size_t* count) {
    if (family == kKruKrm) {
        *count = sizeof kKruKrmLooks / sizeof kKruKrmLooks[0];
        return kKruKrmLooks;
    }
    if (family == kUsb) {
        *count = sizeof kUsbLooks / sizeof kUsbLooks[0];
        return kUsbLooks;
    }
    *count = 0;
    return nullptr;
}
