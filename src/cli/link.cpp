// SPDX-License-Identifier: Apache-2.0
#include "cli/link.h"

#include <chrono>

#include "core/line.h"

namespace {

// Reads wait in slices so that Ctrl-C is seen within this time.
constexpr int kSliceMs = 50;

EngineTime Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool Stopped(const Link& link) { return link.stop != nullptr && link.stop->load(); }

}  // namespace

Status OpenLink(Link* link, const std::string& name, int timeoutMs, const std::atomic<bool>* stop) {
    link->name = name;
    link->timeoutMs = timeoutMs;
    link->stop = stop;
    PortError& error = link->openError;
    if (OpenSerialPort(&link->port, name.c_str(), kReaderBaudRate, &error)) return Status::Ok;
    switch (error.what) {
        case PortFailure::NotFound: return Status::PortNotFound;
        case PortFailure::NotSerial: return Status::NotSerial;
        case PortFailure::Busy: return Status::PortBusy;
        case PortFailure::Denied: return Status::PortDenied;
        default: return Status::PortError;
    }
}

void CloseLink(Link* link) { CloseSerialPort(&link->port); }

EngineOutcome RunEngine(Link* link, ReaderEngine engine) {
    for (;;) {
        if (Stopped(*link)) engine.Interrupt(Now());
        const EngineAction action = engine.Next(Now());
        if (action.kind == EngineAction::Done) return engine.Outcome();
        PortError error{};
        if (action.kind == EngineAction::Send) {
            const bool written =
                WriteSerialBytes(&link->port, action.bytes.data(), static_cast<int>(action.bytes.size()), &error);
            engine.Sent(written ? SendResult::Whole : error.what == PortFailure::None ? SendResult::Partial
                                                                                      : SendResult::Failed,
                        Now());
            continue;
        }
        unsigned char bytes[kReplyBufferSize];
        const unsigned capacity = static_cast<unsigned>(action.maxBytes < kReplyBufferSize ? action.maxBytes
                                                                                           : kReplyBufferSize);
        int got = 0;
        if (!ReadAvailable(&link->port, bytes, capacity, action.waitMs < kSliceMs ? action.waitMs : kSliceMs, &got,
                           &error)) {
            engine.PortFailed(Now());
        } else if (got > 0) {
            engine.Heard(bytes, got, Now());
        } else {
            engine.Silence(Now());
        }
    }
}

Reader ReaderOf(const Link& link, const EngineReader& reader) {
    Reader out;
    if (!reader.Known()) return out;
    static_cast<EngineReader&>(out) = reader;
    out.port = link.name;
    return out;
}

Status IdentifyReader(Link* link, bool usbFirst, Reader* reader) {
    const EngineOutcome outcome = RunEngine(link, ReaderEngine::Identify(usbFirst, link->timeoutMs));
    if (outcome.reader.Known()) *reader = ReaderOf(*link, outcome.reader);
    return outcome.status;
}
