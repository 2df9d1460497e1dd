// SPDX-License-Identifier: Apache-2.0
#pragma once
// What became of one port, for vireo4 and the browser page alike: the status words of the JSON
// and the page, the exit code of each, and the message each reads as in both languages.
#include <string>

enum class Status : int {
    Ok,
    Skipped,              // apply: the profile has no section for this family
    NoAnswer,             // silent port: no reader
    PortNotFound,
    NotSerial,            // the path is no serial terminal; it was never opened
    Refused,              // " - UNKNOWN CMD!"
    FirmwareUnsupported,
    RuleViolation,        // the firmware or model does not allow a value
    NotRecognized,        // the reader holds a setting the tool cannot name and none was given,
                          // or a card number that does not fit in 32 bits
    Mismatch,             // read back differs from what was written
    Unconfirmed,          // the write went out; its acknowledgement or read-back never came
    Unsupported,          // card query on firmware 1.00 or older
    Usage,                // a name or value that does not fit this reader (wrong family, type
                          // beside touch-memory): a usage error found once the family is known
    PortBusy,
    PortDenied,
    PortError,            // open or configure failed
    IoError,              // read or write failed (unplugged)
    Garbage,              // bytes came back that are no reply
    Interrupted,
    Count
};

enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitNoReader = 2,
    kExitRefused = 3,
    kExitPortError = 4,
    kExitInterrupted = 130,   // Ctrl-C; the exit code itself is 128 + the signal (SIGTERM 143)
    kExitOutputClosed = 141,  // the reader of our output went away (| head): 128 + SIGPIPE
};

// "ok", "no-answer", "busy", ...; "" for a value out of range.
const char* StatusWord(Status status);
// The status a word names; false for a word that names none.
bool StatusOfWord(const std::string& word, Status* status);
int ExitCodeOf(Status status);
// The message a status reads as, UTF-8, in a language (kRussian or kEnglish).
std::string StatusText(int language, Status status);
