#pragma once
// One reader as the tool sees it: a small value, one per port, passed between threads by copy.
#include <string>
#include <vector>

#include "core/change_plan.h"

// What became of one port. Each maps to an exit code (ExitCodeOf).
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
    Interrupted,          // the last: the reference's table of statuses checks it is complete
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

int ExitCodeOf(Status status);

struct Reader {
    std::string port;
    int family = -1;           // ReaderFamily once a settings reply came
    char model = 0;            // 'U', 'M', 'X', 'B'
    int firmwareVersion = 0;   // 110 for "1.10"
    std::string firmware;      // the label, "1.10"
    std::string chars;         // the setting characters (6 or 7)
    bool Known() const { return family >= 0; }
};

// One changed setting: its name and the value names before and after.
using Change = SettingChange;

// The outcome for one port of any command.
struct PortOutcome {
    std::string port;
    Status status = Status::NoAnswer;
    std::string detail;      // the reason in the user's language, when status is not Ok
    Reader before;           // what the reader held (or its identity)
    Reader after;            // write/apply: read back
    bool written = false;    // write/apply: the write command went out
    bool changed = false;    // write/apply: a write was made and verified
    bool wouldChange = false;
    std::vector<Change> changes;
    bool explicitlyNamed = false;  // named on the command line, not found by a walk or glob
};
