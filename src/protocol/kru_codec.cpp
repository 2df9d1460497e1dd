#include "protocol/kru_codec.h"

#include <cstring>

#include "ui/control_ids.h"

namespace {

constexpr int kInterfaceOffset = 4;   // three characters
constexpr int kIndicationOffset = 7;
constexpr int kStandbyOffset = 8;
constexpr int kTouchPollOffset = 9;
constexpr int kInterfaceCodeLength = 3;

struct InterfaceCode {
    int radio;
    char code[kInterfaceCodeLength + 1];
};
// In the order the encoder looks for the first checked radio.
constexpr InterfaceCode kInterfaceCodes[] = {
    {IdTouchMemory, "TMX"}, {IdWiegand26, "W26"}, {IdWiegand44, "W44"}, {IdWiegand58, "W58"},
};

constexpr int kMinVersionForWiegand58 = 110;
constexpr int kMaxVersionWithoutWiegand58 = 100;

}  // namespace

KruKrmFields ParseKruKrmSettings(const unsigned char* bytes, int length) {
    KruKrmFields fields = {kNotRecognized, kNotRecognized, kNotRecognized, kNotRecognized};

    for (const InterfaceCode& entry : kInterfaceCodes) {
        bool same = true;
        for (int i = 0; i < kInterfaceCodeLength; ++i)
            if (PayloadByte(bytes, length, kInterfaceOffset + i) != static_cast<unsigned char>(entry.code[i]))
                same = false;
        if (same) fields.interfaceRadio = entry.radio;
    }

    switch (PayloadByte(bytes, length, kIndicationOffset)) {
        case '1': fields.indicationRadio = IdDirect; break;
        case '0': fields.indicationRadio = IdInverse; break;
        default: break;
    }
    switch (PayloadByte(bytes, length, kStandbyOffset)) {
        case 'D': fields.standbyRadio = IdDynamic; break;
        case 'S': fields.standbyRadio = IdStatic; break;
        case 'A': fields.standbyRadio = IdStandbyOff; break;
        default: break;
    }
    switch (PayloadByte(bytes, length, kTouchPollOffset)) {
        case 'O': fields.touchPollRadio = IdPollOn; break;
        case 'F': fields.touchPollRadio = IdPollOff; break;
        default: break;
    }
    return fields;
}

RadioAvailability Wiegand58Availability(int firmwareVersion, char modelLetter) {
    if (firmwareVersion <= kMaxVersionWithoutWiegand58) return AvailabilityDisable;
    if (firmwareVersion >= kMinVersionForWiegand58 && modelLetter == kModelKrm) return AvailabilityEnable;
    return AvailabilityKeep;
}

int BuildKruKrmCommand(RadioCheckedFn isChecked, char* command) {
    std::memcpy(command, kCommandPrefix, kCommandPrefixLength);

    // The page always has one interface checked; should none be, the page default
    // "Touch Memory" is written rather than stale bytes or a choice the reader may lack.
    const InterfaceCode* chosen = FirstChecked(kInterfaceCodes, isChecked, &kInterfaceCodes[0]);
    std::memcpy(command + kInterfaceOffset - kCommandShift, chosen->code, kInterfaceCodeLength);

    command[kIndicationOffset - kCommandShift] = isChecked(IdDirect) ? '1' : '0';
    command[kStandbyOffset - kCommandShift] = isChecked(IdDynamic) ? 'D' : isChecked(IdStatic) ? 'S' : 'A';
    command[kTouchPollOffset - kCommandShift] = isChecked(IdPollOn) ? 'O' : 'F';
    return kKruKrmWriteLength;
}
