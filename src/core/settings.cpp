#include "core/settings.h"

#include <cstring>

#include "core/family.h"
#include "core/firmware_rules.h"
#include "core/setting_names.h"

namespace {

// Payload offsets of the KRU/KRM setting characters.
constexpr int kInterfaceOffset = 4;  // three characters
constexpr int kIndicationOffset = 7;
constexpr int kStandbyOffset = 8;
constexpr int kTouchPollOffset = 9;
constexpr int kInterfaceCodeLength = 3;

// Payload offsets of the USB setting characters.
constexpr int kModeOffset = 4;
constexpr int kFormatOffset = 5;  // two characters, then the output type
constexpr int kTypeOffset = 7;
constexpr int kByteCountOffset = 8;
constexpr int kCardsOffset = 9;  // two characters
constexpr int kCardsCodeLength = 2;
constexpr char kTouchMemoryCode[] = "TMX";  // the USB format and type together

// The window takes "Wiegand 58" and "7" away from firmware 1.00 or older (times 100); who
// offers them says the rule table.
constexpr int kMaxVersionWithoutExtras = 100;

// Firmware labels each family accepts, compared in this order.
constexpr int kSupportedLabelCount = 3;
constexpr const char* kKruKrmFirmware[kSupportedLabelCount] = {"1.00", "1.10", "2.00"};
constexpr const char* kUsbFirmware[kSupportedLabelCount] = {"1.00", "1.10", "2.00"};

struct InterfaceCode {
    Interface value;
    char code[kInterfaceCodeLength + 1];
};
constexpr InterfaceCode kInterfaceCodes[] = {
    {Interface::TouchMemory, "TMX"}, {Interface::Wiegand26, "W26"},
    {Interface::Wiegand44, "W44"},   {Interface::Wiegand58, "W58"},
};

struct ByteCountCode {
    ByteCount value;
    char code;
};
constexpr ByteCountCode kByteCountCodes[] = {
    {ByteCount::Bytes7, '7'}, {ByteCount::Bytes5, '5'}, {ByteCount::Bytes4, '4'},
    {ByteCount::Bytes3, '3'}, {ByteCount::Bytes2, '2'},
};

struct CardsCode {
    CardsToRead value;
    char code[kCardsCodeLength + 1];
};
constexpr CardsCode kCardsCodes[] = {
    {CardsToRead::All, "EM"}, {CardsToRead::EmHid, "EX"}, {CardsToRead::Mifare, "XM"},
};

// The payload byte at offset, or 0 when offset lies outside the length bytes given.
unsigned char At(const unsigned char* bytes, int length, int offset) {
    if (bytes == nullptr || offset < 0 || offset >= length) return 0;
    return bytes[offset];
}

char* CommandAt(char* command, int payloadOffset) { return command + payloadOffset - kCommandShift; }

}  // namespace

const char* SettingsQueryOf(int family) { return family == kUsb ? kQueryUsb : kQueryKruKrm; }

int SettingsLengthOf(int family) { return family == kUsb ? kUsbSettingsLength : kKruKrmSettingsLength; }

int PayloadLengthOf(int family) { return kFirmwareLabelLength + SettingsLengthOf(family); }

KruKrmSettings DecodeKruKrmPayload(const unsigned char* payload, int length) {
    KruKrmSettings s = {Interface::NotRecognized, Indication::NotRecognized, Standby::NotRecognized,
                        TouchPoll::NotRecognized};
    for (const InterfaceCode& entry : kInterfaceCodes) {
        bool same = true;
        for (int i = 0; i < kInterfaceCodeLength; ++i)
            if (At(payload, length, kInterfaceOffset + i) != static_cast<unsigned char>(entry.code[i])) same = false;
        if (same) s.interface = entry.value;
    }
    switch (At(payload, length, kIndicationOffset)) {
        case '1': s.indication = Indication::Direct; break;
        case '0': s.indication = Indication::Inverse; break;
        default: break;
    }
    switch (At(payload, length, kStandbyOffset)) {
        case 'D': s.standby = Standby::Dynamic; break;
        case 'S': s.standby = Standby::Static; break;
        case 'A': s.standby = Standby::Off; break;
        default: break;
    }
    switch (At(payload, length, kTouchPollOffset)) {
        case 'O': s.touchPoll = TouchPoll::On; break;
        case 'F': s.touchPoll = TouchPoll::Off; break;
        default: break;
    }
    return s;
}

UsbSettings DecodeUsbPayload(const unsigned char* payload, int length) {
    UsbSettings s = {UsbMode::NotRecognized, OutputFormat::NotRecognized, OutputType::NotRecognized,
                     ByteCount::NotRecognized, CardsToRead::NotRecognized};
    auto at = [&](int offset) { return At(payload, length, offset); };
    switch (at(kModeOffset)) {
        case 'W': s.mode = UsbMode::Windows; break;
        case 'A': s.mode = UsbMode::All; break;
        default: break;
    }
    if (at(kFormatOffset) == 'H' && at(kFormatOffset + 1) == 'D') {
        s.format = OutputFormat::HexOrDec;
        switch (at(kTypeOffset)) {
            case 'H': s.type = OutputType::Hex; break;
            case 'D': s.type = OutputType::Dec; break;
            default: break;
        }
    } else if (at(kFormatOffset) == 'T' && at(kFormatOffset + 1) == 'M' && at(kTypeOffset) == 'X') {
        s.format = OutputFormat::TouchMemory;
    }
    s.bytes = ByteCountForCode(static_cast<char>(at(kByteCountOffset)));
    for (const CardsCode& entry : kCardsCodes)
        if (at(kCardsOffset) == static_cast<unsigned char>(entry.code[0]) &&
            at(kCardsOffset + 1) == static_cast<unsigned char>(entry.code[1]))
            s.cards = entry.value;
    return s;
}

ByteCount ByteCountForCode(char code) {
    for (const ByteCountCode& entry : kByteCountCodes)
        if (code == entry.code) return entry.value;
    return ByteCount::NotRecognized;  // there is no 6-byte choice
}

int EncodeKruKrmCommand(const KruKrmSettings& s, char* command) {
    std::memcpy(command, kCommandPrefix, kCommandPrefixLength);
    // With no interface chosen, "Touch Memory" (the page default) is written rather than stale
    // bytes or a choice the reader may lack.
    const InterfaceCode* chosen = &kInterfaceCodes[0];
    for (const InterfaceCode& entry : kInterfaceCodes)
        if (entry.value == s.interface) chosen = &entry;
    std::memcpy(CommandAt(command, kInterfaceOffset), chosen->code, kInterfaceCodeLength);
    *CommandAt(command, kIndicationOffset) = s.indication == Indication::Direct ? '1' : '0';
    *CommandAt(command, kStandbyOffset) =
        s.standby == Standby::Dynamic ? 'D' : s.standby == Standby::Static ? 'S' : 'A';
    *CommandAt(command, kTouchPollOffset) = s.touchPoll == TouchPoll::On ? 'O' : 'F';
    return kKruKrmWriteLength;
}

int EncodeUsbCommand(const UsbSettings& s, char* command) {
    std::memcpy(command, kCommandPrefix, kCommandPrefixLength);
    *CommandAt(command, kModeOffset) = s.mode == UsbMode::Windows ? 'W' : 'A';
    if (s.format == OutputFormat::HexOrDec) {
        *CommandAt(command, kFormatOffset) = 'H';
        *CommandAt(command, kFormatOffset + 1) = 'D';
        *CommandAt(command, kTypeOffset) = s.type == OutputType::Hex ? 'H' : 'D';
    } else {
        std::memcpy(CommandAt(command, kFormatOffset), kTouchMemoryCode, sizeof kTouchMemoryCode - 1);
    }
    char bytes = '2';  // the last choice is the fallback
    for (const ByteCountCode& entry : kByteCountCodes)
        if (entry.value == s.bytes) bytes = entry.code;
    *CommandAt(command, kByteCountOffset) = bytes;
    // With no card choice, all card types (the page default) are written rather than stale bytes.
    const CardsCode* cards = &kCardsCodes[0];
    for (const CardsCode& entry : kCardsCodes)
        if (entry.value == s.cards) cards = &entry;
    std::memcpy(CommandAt(command, kCardsOffset), cards->code, kCardsCodeLength);
    return kUsbWriteLength;
}

bool IsComplete(const KruKrmSettings& s) {
    return s.interface != Interface::NotRecognized && s.indication != Indication::NotRecognized &&
           s.standby != Standby::NotRecognized && s.touchPoll != TouchPoll::NotRecognized;
}

bool IsComplete(const UsbSettings& s) {
    const bool typeOk = s.format == OutputFormat::TouchMemory ||
                        (s.format == OutputFormat::HexOrDec && s.type != OutputType::NotRecognized);
    return s.mode != UsbMode::NotRecognized && typeOk && s.bytes != ByteCount::NotRecognized &&
           s.cards != CardsToRead::NotRecognized;
}

bool CheckFirmwareVersion(int family, const char* payload) {
    if (payload == nullptr) return false;
    const char* const* labels = nullptr;
    if (family == kKruKrm) labels = kKruKrmFirmware;
    else if (family == kUsb) labels = kUsbFirmware;
    else return false;
    for (int k = 0; k < kSupportedLabelCount; ++k)
        if (std::strncmp(payload, labels[k], kFirmwareLabelLength) == 0) return true;
    return false;
}

bool Wiegand58Allowed(int firmwareVersion, char modelLetter) {
    return FirmwareRuleAllows(*FirmwareRuleFor(kKruKrm, kInterfaceIndex), firmwareVersion, modelLetter, 0);
}

bool Bytes7Allowed(int firmwareVersion, char modelLetter, OutputFormat format) {
    return FirmwareRuleAllows(*FirmwareRuleFor(kUsb, kBytesIndex), firmwareVersion, modelLetter,
                              static_cast<int>(format));
}

Availability Wiegand58Availability(int firmwareVersion, char modelLetter) {
    if (firmwareVersion <= kMaxVersionWithoutExtras) return AvailabilityDisable;
    if (Wiegand58Allowed(firmwareVersion, modelLetter)) return AvailabilityEnable;
    return AvailabilityKeep;
}

Availability Bytes7Availability(int firmwareVersion, char modelLetter) {
    if (firmwareVersion <= kMaxVersionWithoutExtras) return AvailabilityDisable;
    // Offered as with an output format that sets no further condition.
    if (Bytes7Allowed(firmwareVersion, modelLetter, OutputFormat::HexOrDec)) return AvailabilityEnable;
    return AvailabilityKeep;
}

bool TouchMemoryDisablesBytes7(int firmwareVersion) {
    return firmwareVersion <= FirmwareRuleFor(kUsb, kBytesIndex)->aboveFirmware;
}
