#pragma once
// One reader as the tool sees it: a small value, one per port, passed between threads by copy.
#include <string>
#include <vector>

#include "core/change_plan.h"
#include "core/status.h"

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
