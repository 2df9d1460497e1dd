#include "cli/link.h"

#include <chrono>
#include <cstring>

#include "core/card_id.h"
#include "core/commands.h"
#include "core/family.h"
#include "core/line.h"
#include "core/reply.h"
#include "core/settings.h"

namespace {

// Reads wait in slices so that Ctrl-C is seen within this time.
constexpr int kSliceMs = 50;
// Once a reader was found talking out of turn, its line must have been silent this long before
// a command goes out: it rides out a USB converter's packet latency and a busy machine's
// scheduling (the window takes 60 ms of silence as the end of a reply).
constexpr std::chrono::milliseconds kTalkingGap{50};

struct ReplyBuffer {
    unsigned char bytes[kReplyBufferSize];
    int count;
};

enum class Heard {
    Reply,        // the whole reply to this command
    Refusal,      // " - UNKNOWN CMD!" echoing this command
    Noise,        // bytes that are no reply to this command
    Partial,      // the start of this command's reply, the rest late or missing
    Nothing,
    PortError,
    Interrupted,
    Quiet,        // the drain's verdict: the port holds nothing more
};

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool Stopped(const Link& link) { return link.stop != nullptr && link.stop->load(); }

void NoteBytes(Link* link, int got) {
    if (got > 0) link->lastByte = Clock::now();
}

// Drops what the port still holds from earlier (the tail of a reply, a late or flooding reader)
// until nothing has come for kTalkingGap after the last byte heard. A port that holds nothing
// costs one look, unless patient: then the gap runs from the last byte heard in any case.
// A port that never falls quiet within the deadline is noise.
Heard Drain(Link* link, bool interruptible, bool patient) {
    const Clock::time_point limit = Clock::now() + std::chrono::milliseconds(link->timeoutMs);
    bool talking = patient;
    for (;;) {
        if (interruptible && Stopped(*link)) return Heard::Interrupted;
        int waitMs = 0;
        if (talking) {
            const auto left = kTalkingGap - (Clock::now() - link->lastByte);
            if (left.count() > 0) waitMs = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
        }
        unsigned char scrap[kReplyBufferSize];
        int got = 0;
        PortError error{};
        if (!ReadAvailable(&link->port, scrap, sizeof scrap, waitMs < kSliceMs ? waitMs : kSliceMs, &got, &error)) {
            return Heard::PortError;
        }
        if (got > 0) {
            NoteBytes(link, got);
            talking = true;
            if (Clock::now() >= limit) return Heard::Noise;
        } else if (waitMs == 0) {
            return Heard::Quiet;
        }
    }
}

Heard HeardOf(ReplyFit fit) {
    switch (fit) {
        case ReplyFit::Whole: return Heard::Reply;
        case ReplyFit::Refusal: return Heard::Refusal;
        case ReplyFit::Foreign: return Heard::Noise;
        case ReplyFit::Partial: break;
    }
    return Heard::Partial;
}

// Writes a command and reads its reply until it is whole, refused, plainly foreign or out of
// time. A command whose write went out is waited for even after Ctrl-C, so the reader is never
// left half-told. *sent tells whether the command went out.
Heard ExchangeOnce(Link* link, const char* command, int length, ReplyBuffer* reply, bool interruptible,
                   bool patient, bool* sent) {
    std::memset(reply->bytes, 0, sizeof reply->bytes);
    reply->count = 0;
    *sent = false;
    if (interruptible && Stopped(*link)) return Heard::Interrupted;
    const Heard drained = Drain(link, interruptible, patient);
    if (drained != Heard::Quiet) return drained;
    PortError error{};
    const bool written = WriteSerialBytes(&link->port, command, length, &error);
    // A failed write sent nothing; a short one sent part of the command.
    *sent = written || error.what == PortFailure::None;
    if (!written) return Heard::PortError;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(link->timeoutMs);
    for (;;) {
        int left = MsLeft(deadline);
        if (left == 0) break;
        if (interruptible && Stopped(*link)) return Heard::Interrupted;
        int got = 0;
        unsigned capacity = static_cast<unsigned>(kReplyBufferSize - reply->count);
        if (!ReadAvailable(&link->port, reply->bytes + reply->count, capacity, left < kSliceMs ? left : kSliceMs,
                           &got, &error)) {
            return Heard::PortError;
        }
        if (got == 0) continue;
        NoteBytes(link, got);
        reply->count += got;
        const Heard heard = HeardOf(FitReply(command, length, reply->bytes, reply->count));
        if (heard != Heard::Partial) return heard;
        if (reply->count >= kReplyBufferSize) return Heard::Noise;
    }
    return reply->count == 0 ? Heard::Nothing : Heard::Partial;
}

// The exchange, tried again after a foreign reply once the line has been silent a while.
Heard Exchange(Link* link, const char* command, int length, ReplyBuffer* reply, bool interruptible,
               bool* sent = nullptr) {
    bool anySent = false;
    Heard heard = Heard::Nothing;
    for (int tryNumber = 0; tryNumber < kCommandTries; ++tryNumber) {
        bool thisSent = false;
        heard = ExchangeOnce(link, command, length, reply, interruptible, tryNumber > 0, &thisSent);
        anySent = anySent || thisSent;
        if (heard != Heard::Noise) break;
    }
    if (sent != nullptr) *sent = anySent;
    return heard;
}

Status StatusOf(Heard heard) {
    switch (heard) {
        case Heard::Reply:
        case Heard::Quiet: return Status::Ok;
        case Heard::Refusal: return Status::Refused;
        case Heard::Nothing: return Status::NoAnswer;
        case Heard::PortError: return Status::IoError;
        case Heard::Interrupted: return Status::Interrupted;
        case Heard::Noise:
        case Heard::Partial: break;
    }
    return Status::Garbage;
}

// One settings query; *heard tells a foreign answer from the start of this query's own reply.
Status Query(Link* link, int family, Reader* reader, Heard* heard) {
    ReplyBuffer reply;
    *heard = Exchange(link, SettingsQueryOf(family), kQueryLength, &reply, true);
    if (*heard != Heard::Reply) return StatusOf(*heard);
    const ReplyInfo info = ClassifyReply(reply.bytes, reply.count);
    const unsigned char* payload = reply.bytes + info.payloadStart;
    reader->port = link->name;
    reader->family = family;
    reader->model = info.modelLetter;
    reader->firmwareVersion = info.firmwareVersion;
    reader->firmware.assign(reinterpret_cast<const char*>(payload), kFirmwareLabelLength);
    reader->chars.assign(reinterpret_cast<const char*>(payload) + kFirmwareLabelLength,
                         SettingsLengthOf(family));
    if (!CheckFirmwareVersion(family, reinterpret_cast<const char*>(payload))) return Status::FirmwareUnsupported;
    return Status::Ok;
}

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

Status QuerySettings(Link* link, int family, Reader* reader) {
    Heard heard = Heard::Nothing;
    return Query(link, family, reader, &heard);
}

Status IdentifyReader(Link* link, bool usbFirst, Reader* reader) {
    const int first = usbFirst ? kUsb : kKruKrm;
    const int second = usbFirst ? kKruKrm : kUsb;
    Heard heard = Heard::Nothing;
    Status status = Query(link, first, reader, &heard);
    // Only an answer that was not this query's (a refusal, noise) makes the other query worth a
    // deadline; the start of this query's own reply says the family already.
    if (heard != Heard::Refusal && heard != Heard::Noise) return status;
    Heard otherHeard = Heard::Nothing;
    Status other = Query(link, second, reader, &otherHeard);
    // Silence, or a refusal after noise, says less than what the first query heard.
    if (other == Status::NoAnswer || (other == Status::Refused && status == Status::Garbage)) return status;
    return other;
}

Status WriteSettings(Link* link, const std::string& chars, bool* sent) {
    std::string command = std::string(kCommandPrefix) + chars;
    ReplyBuffer reply;
    return StatusOf(Exchange(link, command.data(), static_cast<int>(command.size()), &reply, false, sent));
}

// The card query and its reply are the same for both families.
Status QueryCard(Link* link, int /*family*/, CardIdResult* card, CardIdField* tooLarge) {
    *card = CardIdResult{};
    if (tooLarge != nullptr) *tooLarge = CardIdField::None;
    ReplyBuffer reply;
    const Heard heard = Exchange(link, kQueryCardId, kQueryLength, &reply, true);
    if (heard != Heard::Reply) return StatusOf(heard);
    const CardIdField field = ReadCardIdNumbers(reply.bytes, static_cast<std::size_t>(reply.count), card);
    if (tooLarge != nullptr) *tooLarge = field;
    return field == CardIdField::None ? Status::Ok : Status::NotRecognized;
}
