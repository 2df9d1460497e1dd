// SPDX-License-Identifier: Apache-2.0
#pragma once
// The line side of the simulator: the pseudo-terminal the program opens as its COM port,
// command framing, paced replies, the control FIFO and the wire log.
#include <string>

#include "reader.h"

struct LineOptions {
    std::string logPath;        // empty: no log
    std::string controlPath;    // empty: no control FIFO
    std::string linkPath;       // empty: no symlink to the pty
};

// Creates the pty, prints its path as the first stdout line and serves until SIGTERM or
// SIGINT. Returns the process exit code.
int RunLine(ReaderState* reader, const LineOptions& options);
