// SPDX-License-Identifier: Apache-2.0
#pragma once
// The reader's command set and the grammar of its replies: plain ASCII, no terminator,
// no checksum. Shared by the program and the reader simulator.

// Commands: each is written with one WriteBytes call of exactly these bytes.
constexpr const char kQueryKruKrm[] = "AT+READS_KRX";
constexpr const char kQueryUsb[] = "AT+READS_USB";
constexpr const char kQueryCardId[] = "AT+READS_IDS";
constexpr const char kCommandPrefix[] = "AT+";
constexpr int kCommandPrefixLength = 3;
constexpr int kQueryLength = 12;
constexpr int kKruKrmWriteLength = 9;   // "AT+" + 6 setting characters
constexpr int kUsbWriteLength = 10;     // "AT+" + 7 setting characters

// Replies: LF CR, the echo of the command, the verdict, and for a settings query
// " >> " and the payload (firmware label + setting characters).
constexpr int kReplyBufferSize = 64;
constexpr const char kReplyStart[] = "\n\r";
constexpr const char kVerdictSeparator[] = " - ";
constexpr const char kVerdictOk[] = "OK!";
constexpr const char kVerdictUnknown[] = "UNKNOWN CMD!";
constexpr const char kPayloadMarker[] = " >> ";
constexpr int kVerdictSeparatorLength = 3;
constexpr int kVerdictOkLength = 3;
constexpr int kVerdictUnknownLength = 12;
constexpr int kPayloadMarkerLength = 4;
// A settings reply carries the reader's model letter in place of the query's last
// character: "\n\r" + 11 query characters puts it here.
constexpr int kModelLetterOffset = 13;

// Settings payload: a 4-character firmware label ("1.10"), then the setting characters.
constexpr int kFirmwareLabelLength = 4;
constexpr int kKruKrmSettingsLength = 6;
constexpr int kUsbSettingsLength = 7;

// Model letters as the reader reports them.
constexpr char kModelNone = 'X';
constexpr char kModelKru = 'U';
constexpr char kModelKrm = 'M';
constexpr char kModelUsb = 'B';

// Card ID reply (the card ID read keeps its own layout in card_id.h): fixed prefix, the
// barcode number (ten digits and a space), the cipher ID (ten digits) and a closing '.'.
constexpr const char kCardIdReplyPrefix[] = "\n\rAT+IDS - OK! >> ";
constexpr int kCipherIdDigits = 10;
constexpr char kCardIdEnd = '.';
