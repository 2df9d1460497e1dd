#include "protocol/usb_codec.h"

#include <cstring>

#include "ui/control_ids.h"

namespace {

constexpr int kModeOffset = 4;
constexpr int kFormatOffset = 5;  // two characters, then the output type
constexpr int kTypeOffset = 7;
constexpr int kByteCountOffset = 8;
constexpr int kCardsOffset = 9;   // two characters
constexpr int kCardsCodeLength = 2;
constexpr char kTouchMemoryCode[] = "TMX";  // format and type together

constexpr int kMinVersionForBytes7 = 110;
constexpr int kMaxVersionWithoutBytes7 = 100;
constexpr int kMaxVersionTouchMemoryWithoutBytes7 = 110;

struct ByteCountCode {
    int radio;
    char code;
};
// In the order the encoder looks for the first checked radio; "2" is the fallback.
constexpr ByteCountCode kByteCountCodes[] = {
    {IdBytes7, '7'}, {IdBytes5, '5'}, {IdBytes4, '4'}, {IdBytes3, '3'}, {IdBytes2, '2'},
};

struct CardsCode {
    int radio;
    char code[kCardsCodeLength + 1];
};
constexpr CardsCode kCardsCodes[] = {
    {IdCardsAll, "EM"}, {IdCardsEmHid, "EX"}, {IdCardsMifare, "XM"},
};

}  // namespace

UsbFields ParseUsbSettings(const unsigned char* bytes, int length) {
    UsbFields fields = {kNotRecognized, kNotRecognized, kNotRecognized, kNotRecognized, kNotRecognized};
    auto at = [&](int offset) { return PayloadByte(bytes, length, offset); };

    switch (at(kModeOffset)) {
        case 'W': fields.modeRadio = IdModeWindows; break;
        case 'A': fields.modeRadio = IdModeAll; break;
        default: break;
    }

    if (at(kFormatOffset) == 'H' && at(kFormatOffset + 1) == 'D') {
        fields.formatRadio = IdHexOrDec;
        switch (at(kTypeOffset)) {
            case 'H': fields.typeRadio = IdHex; break;
            case 'D': fields.typeRadio = IdDec; break;
            default: break;
        }
    } else if (at(kFormatOffset) == 'T' && at(kFormatOffset + 1) == 'M' && at(kTypeOffset) == 'X') {
        fields.formatRadio = IdFormatTouchMemory;
    }

    fields.byteCountRadio = ByteCountRadioForCode(static_cast<char>(at(kByteCountOffset)));

    for (const CardsCode& entry : kCardsCodes)
        if (at(kCardsOffset) == static_cast<unsigned char>(entry.code[0]) &&
            at(kCardsOffset + 1) == static_cast<unsigned char>(entry.code[1]))
            fields.cardsRadio = entry.radio;
    return fields;
}

int ByteCountRadioForCode(char code) {
    for (const ByteCountCode& entry : kByteCountCodes)
        if (code == entry.code) return entry.radio;
    return kNotRecognized;  // there is no 6-byte choice
}

RadioAvailability Bytes7Availability(int firmwareVersion, char modelLetter) {
    if (firmwareVersion <= kMaxVersionWithoutBytes7) return AvailabilityDisable;
    if (firmwareVersion >= kMinVersionForBytes7 && modelLetter == kModelUsb) return AvailabilityEnable;
    return AvailabilityKeep;
}

bool TouchMemoryDisablesBytes7(int firmwareVersion) {
    return firmwareVersion <= kMaxVersionTouchMemoryWithoutBytes7;
}

int BuildUsbCommand(RadioCheckedFn isChecked, char* command) {
    std::memcpy(command, kCommandPrefix, kCommandPrefixLength);
    command[kModeOffset - kCommandShift] = isChecked(IdModeWindows) ? 'W' : 'A';

    if (isChecked(IdHexOrDec)) {
        command[kFormatOffset - kCommandShift] = 'H';
        command[kFormatOffset + 1 - kCommandShift] = 'D';
        command[kTypeOffset - kCommandShift] = isChecked(IdHex) ? 'H' : 'D';
    } else {
        std::memcpy(command + kFormatOffset - kCommandShift, kTouchMemoryCode, sizeof kTouchMemoryCode - 1);
    }

    const ByteCountCode* twoBytes = &kByteCountCodes[sizeof kByteCountCodes / sizeof kByteCountCodes[0] - 1];
    command[kByteCountOffset - kCommandShift] = FirstChecked(kByteCountCodes, isChecked, twoBytes)->code;

    // The page always has one card choice checked; should none be, the page default
    // (all card types) is written rather than stale bytes.
    const CardsCode* cards = FirstChecked(kCardsCodes, isChecked, &kCardsCodes[0]);
    std::memcpy(command + kCardsOffset - kCommandShift, cards->code, kCardsCodeLength);
    return kUsbWriteLength;
}
