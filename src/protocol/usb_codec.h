#pragma once
// The USB reader's settings string (portable part of the codec). A payload is the firmware
// label and seven setting characters, e.g. "1.10WHDH5EM"; the write command is "AT+" and the
// same seven characters, e.g. "AT+ATMX4XM". Characters are case-sensitive.
#include "protocol/settings_string.h"

constexpr int kUsbPayloadLength = kFirmwareLabelLength + kUsbSettingsLength;

// The radio each field names, or kNotRecognized.
struct UsbFields {
    int modeRadio;       // IdModeWindows, IdModeAll
    int formatRadio;     // IdHexOrDec, IdFormatTouchMemory
    int typeRadio;       // IdHex, IdDec; looked at only when formatRadio is IdHexOrDec
    int byteCountRadio;  // IdBytes7 .. IdBytes2 (there is no 6)
    int cardsRadio;      // IdCardsAll, IdCardsEmHid, IdCardsMifare
};

// Only the first length bytes are looked at; missing ones count as zero bytes.
UsbFields ParseUsbSettings(const unsigned char* bytes, int length);
// The number-of-bytes radio for a digit of the settings string, or kNotRecognized.
int ByteCountRadioForCode(char code);

// "7" needs the USB reader ('B') with firmware 1.10 or later; 1.00 or older takes it away.
RadioAvailability Bytes7Availability(int firmwareVersion, char modelLetter);
// With "Touch Memory" output, "7" is offered only above firmware 1.10.
bool TouchMemoryDisablesBytes7(int firmwareVersion);

// Writes the kUsbWriteLength command bytes (no terminator) from the checked radios and
// returns that length.
int BuildUsbCommand(RadioCheckedFn isChecked, char* command);
