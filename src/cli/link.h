// SPDX-License-Identifier: Apache-2.0
#pragma once
// One reader on one port: the core's reader engine decides what to send, how long to listen and
// what the bytes heard mean; the link moves bytes between the port and the engine, and tells it
// the time and Ctrl-C.
#include <atomic>
#include <string>

#include "cli/reader.h"
#include "core/engine.h"
#include "port/serial_port.h"

struct Link {
    SerialPort port{kNoPort};
    std::string name;
    int timeoutMs = 0;
    const std::atomic<bool>* stop = nullptr;  // Ctrl-C: reads end early, nothing new is sent
    PortError openError{};  // what the port layer said when the port was opened
};

// Opens the port; a failure is PortNotFound, NotSerial, PortBusy, PortDenied or PortError.
Status OpenLink(Link* link, const std::string& name, int timeoutMs, const std::atomic<bool>* stop);
void CloseLink(Link* link);

// Runs a request of the engine on the link until it is done.
EngineOutcome RunEngine(Link* link, ReaderEngine engine);

// The engine's reader as the tool keeps it, named by its port.
Reader ReaderOf(const Link& link, const EngineReader& reader);

// Finds which reader answers (see ReaderEngine::Identify).
Status IdentifyReader(Link* link, bool usbFirst, Reader* reader);
