// SPDX-License-Identifier: Apache-2.0
#pragma once
// The simulated reader: what it stores, how it answers a command, and the ways it can be
// told to misbehave. Portable (no pty, no clock): the line side lives in line.cpp.
#include <string>

constexpr int kDefaultReplyDelayMs = 5;     // a real reader answers a few ms after a command
constexpr int kCommandGapMs = 20;           // this much silence ends a command
constexpr int kMaxCommandLength = 64;       // a longer run of bytes is cut into commands
constexpr double kByteTimeUs = 1e6 * 10 / 19200;  // 19200 baud, 10 bit times per byte

struct ReaderState {
    // What the reader is and holds.
    char model;                 // 'U' KRU, 'M' KRM, 'X' names no model, 'B' USB reader
    std::string firmware;       // label sent in every settings reply, e.g. "1.10"
    std::string settings;       // stored setting characters (6 KRU/KRM, 7 USB)
    std::string barcode;        // card barcode number, decimal digits
    std::string cipher;         // card cipher ID, decimal digits

    // Timing.
    int replyDelayMs;           // normal delay between a command and its reply
    bool baudDelay;             // pace bytes like a 19200 baud line

    // Misbehaviour.
    bool silent;                // commands are processed, nothing is sent
    int silentAfter;            // < 0: off; else replies still sent before silent turns on
    bool refuse;                // every command answered " - UNKNOWN CMD!", nothing changes
    bool garbage;               // every reply replaced by line noise
    bool lowerCase;             // setting characters of settings replies in lower case
    bool noDot;                 // card ID reply without its closing '.'
    int cutBytes;               // < 0: off; else only the first cutBytes bytes are sent
    int splitMs;                // 0: off; else a pause of splitMs inside each reply
    int splitAt;                // < 0: at half the reply; else after this many bytes
    int floodBytes;             // extra bytes sent behind each reply (0: off)
    int lateMs;                 // < 0: off; else replies come after lateMs, not replyDelayMs
    std::string rawReply;       // sent, exactly, as the reply to the next command only
    bool rawPending;
};

// One reply as the line should send it.
struct ReplyPlan {
    std::string bytes;          // empty: nothing is sent
    int delayMs;                // from the end of the command to the first byte
    int splitAt;                // bytes before the pause; < 0: no pause
    int splitMs;
};

// A KRU/KRM reader named U, M or X; a USB reader is B.
bool IsKnownModel(char model);
bool IsUsbModel(char model);

// A reader with the given model, its family's default settings and no misbehaviour.
void InitReader(ReaderState* reader, char model);
// Puts every misbehaviour back to off (the stored data stay).
void ClearMisbehaviour(ReaderState* reader);

// True when settings is a valid setting string for the model's family (the characters
// that follow "AT+" in a write command).
bool ValidSettings(char model, const std::string& settings);

// The reply the reader makes to one framed command, with its misbehaviour applied.
// A valid write command changes reader->settings.
ReplyPlan PlanReply(ReaderState* reader, const std::string& command);

// The reply a correct reader makes (no misbehaviour). Changes reader->settings on a write.
std::string HonestReply(ReaderState* reader, const std::string& command);

// True when pending is a whole command already, so the reader need not wait for the
// gap: one of the three queries.
bool IsCompleteCommand(const std::string& pending);

// Fixed line noise: contains no " - ", so no verdict can be read from it.
std::string GarbageBytes();
// The bytes a flood appends: '0'..'9' repeating.
std::string FloodBytes(int count);

// "4154" -> "AT"; spaces allowed between byte pairs. False on anything else.
bool ParseHex(const std::string& text, std::string* bytes);
// Log form: printable ASCII as is, backslash as \\, anything else as \xHH.
std::string EscapeBytes(const std::string& bytes);
// Decimal digits only, 1 to maxDigits of them.
bool IsDigits(const std::string& text, size_t maxDigits);
