// SPDX-License-Identifier: Apache-2.0
#pragma once
// The settings of both reader families by name, the setting characters they travel as, and
// the firmware rules. A payload is the 4-character firmware label and the setting characters
// ("1.10TMX1DO", "1.10WHDH5EM"); a write command is "AT+" and the same characters
// ("AT+W441SO", "AT+ATMX4XM"). Characters are case-sensitive. Every enum's 0 is
// NotRecognized: the characters named no choice.
#include "core/commands.h"

constexpr int kKruKrmPayloadLength = kFirmwareLabelLength + kKruKrmSettingsLength;  // 10
constexpr int kUsbPayloadLength = kFirmwareLabelLength + kUsbSettingsLength;        // 11

// The settings query, the number of setting characters and of payload bytes (label and
// characters) of a family. Any value other than kUsb counts as the KRU/KRM family, as the
// window's tab does.
const char* SettingsQueryOf(int family);
int SettingsLengthOf(int family);
int PayloadLengthOf(int family);

// KRU and KRM readers.
enum class Interface : int { NotRecognized, TouchMemory, Wiegand26, Wiegand44, Wiegand58 };
enum class Indication : int { NotRecognized, Direct, Inverse };  // active '1' / active '0'
enum class Standby : int { NotRecognized, Dynamic, Static, Off };
enum class TouchPoll : int { NotRecognized, On, Off };

struct KruKrmSettings {
    Interface interface;
    Indication indication;
    Standby standby;
    TouchPoll touchPoll;
};

// The USB reader.
enum class UsbMode : int { NotRecognized, Windows, All };  // Windows only / Windows, Linux, macOS
enum class OutputFormat : int { NotRecognized, HexOrDec, TouchMemory };
enum class OutputType : int { NotRecognized, Hex, Dec };  // means something with HexOrDec only
enum class ByteCount : int { NotRecognized, Bytes7, Bytes5, Bytes4, Bytes3, Bytes2 };  // no 6
enum class CardsToRead : int { NotRecognized, All, EmHid, Mifare };

struct UsbSettings {
    UsbMode mode;
    OutputFormat format;
    OutputType type;  // NotRecognized when the format is not HexOrDec
    ByteCount bytes;
    CardsToRead cards;
};

// Decoding looks at the setting characters of a payload (firmware label first); only the first
// length bytes are read, missing ones count as zero bytes.
KruKrmSettings DecodeKruKrmPayload(const unsigned char* payload, int length);
UsbSettings DecodeUsbPayload(const unsigned char* payload, int length);
// The choice a single number-of-bytes digit names.
ByteCount ByteCountForCode(char code);

// Encoding writes the whole command ("AT+" and the setting characters, no terminator) and
// returns its length (kKruKrmWriteLength or kUsbWriteLength). A value that is NotRecognized
// is written as the window writes a group with no radio checked: interface Touch Memory,
// indication inverse, standby off, touch poll off; USB mode all, format Touch Memory, type
// DEC, 2 bytes, all cards.
int EncodeKruKrmCommand(const KruKrmSettings& settings, char* command);
int EncodeUsbCommand(const UsbSettings& settings, char* command);

// True when every field names a choice (for the USB reader: the type only with HexOrDec).
bool IsComplete(const KruKrmSettings& settings);
bool IsComplete(const UsbSettings& settings);

// Firmware labels each family accepts: "1.00", "1.10", "2.00", compared in that order over
// exactly four characters. False for any other family value.
bool CheckFirmwareVersion(int family, const char* payload);

// Firmware rules, read from the setting table (setting_table.h). "Wiegand 58" needs a KRM reader
// ('M') with firmware 1.10 or later; 7 ID bytes need the USB reader ('B') with firmware 1.10
// or later, and with Touch Memory output firmware above 1.10.
bool Wiegand58Allowed(int firmwareVersion, char modelLetter);
bool Bytes7Allowed(int firmwareVersion, char modelLetter, OutputFormat format);

// The same rules as a decode applies them to the window's radios: firmware 1.00 or older takes
// the choice away, 1.10 or later on the right model offers it, anything else leaves it as it was;
// Touch Memory output at firmware 1.10 or older takes "7" away again.
enum Availability : int { AvailabilityKeep, AvailabilityEnable, AvailabilityDisable };
// The same for any rule of the table, and whether the rule's condition, once met, takes the
// choice away from this firmware.
struct FirmwareRule;
Availability RuleAvailability(const FirmwareRule& rule, int firmwareVersion, char modelLetter);
bool ConditionTakesAway(const FirmwareRule& rule, int firmwareVersion);
Availability Wiegand58Availability(int firmwareVersion, char modelLetter);
Availability Bytes7Availability(int firmwareVersion, char modelLetter);
bool TouchMemoryDisablesBytes7(int firmwareVersion);
