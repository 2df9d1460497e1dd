// SPDX-License-Identifier: Apache-2.0
#pragma once
// One reader as the tool sees it: a small value, one per port, passed between threads by copy.
#include <string>
#include <vector>

#include "core/change_plan.h"
#include "core/engine.h"
#include "core/status.h"

// The reader as the engine found it, on its port.
struct Reader : EngineReader {
    std::string port;
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
