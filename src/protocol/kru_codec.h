#pragma once
// The KRU/KRM settings string (portable part of the codec). A payload is the firmware label
// and six setting characters, e.g. "1.10TMX1DO"; the write command is "AT+" and the same six
// characters, e.g. "AT+W441SO". Characters are case-sensitive. Radios are named by control id.
#include "protocol/settings_string.h"

constexpr int kKruKrmPayloadLength = kFirmwareLabelLength + kKruKrmSettingsLength;

// The radio each field names, or kNotRecognized.
struct KruKrmFields {
    int interfaceRadio;   // IdTouchMemory, IdWiegand26, IdWiegand44, IdWiegand58
    int indicationRadio;  // IdDirect, IdInverse
    int standbyRadio;     // IdDynamic, IdStatic, IdStandbyOff
    int touchPollRadio;   // IdPollOn, IdPollOff
};

// Only the first length bytes are looked at; missing ones count as zero bytes.
KruKrmFields ParseKruKrmSettings(const unsigned char* bytes, int length);

// "Wiegand 58" is offered only by a KRM reader ('M') with firmware 1.10 or later; firmware
// 1.00 or older takes it away, anything in between leaves it as it was.
RadioAvailability Wiegand58Availability(int firmwareVersion, char modelLetter);

// Writes the kKruKrmWriteLength command bytes (no terminator) from the checked radios and
// returns that length. Each group takes its first checked radio; with none checked the
// interface falls back to Touch Memory and the other groups to their last choice.
int BuildKruKrmCommand(RadioCheckedFn isChecked, char* command);
