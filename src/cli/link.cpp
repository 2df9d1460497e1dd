#include "cli/link.h"

#include <chrono>
#include <cstring>

#include "core/card_id.h"
#include "core/commands.h"
#include "core/family.h"
#include "core/reply.h"
#include "core/settings.h"

namespace {

// Reads wait in slices so that Ctrl-C is seen within this time.
constexpr int kSliceMs = 50;

struct ReplyBuffer {
    unsigned char bytes[kReplyBufferSize];
    int count;
};

enum class Heard { Complete, Nothing, Incomplete, PortError, Interrupted };

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool Stopped(const Link& link) { return link.stop != nullptr && link.stop->load(); }

// Bytes left over from an earlier late reply must not be taken for this command's reply.
bool DropStaleBytes(Link* link, PortError* error) {
    unsigned char scrap[kReplyBufferSize];
    int got = 0;
    do {
        if (!ReadAvailable(&link->port, scrap, sizeof scrap, 0, &got, error)) return false;
    } while (got > 0);
    return true;
}

// Writes a command and reads its reply until complete, full or out of time. A command whose
// write went out is waited for even after Ctrl-C, so the reader is never left half-told.
Heard Exchange(Link* link, const char* command, int length, AwaitedReply awaited, int family,
               ReplyBuffer* reply, bool interruptible) {
    std::memset(reply->bytes, 0, sizeof reply->bytes);
    reply->count = 0;
    PortError error{};
    if (interruptible && Stopped(*link)) return Heard::Interrupted;
    if (!DropStaleBytes(link, &error)) return Heard::PortError;
    if (!WriteSerialBytes(&link->port, command, length, &error)) return Heard::PortError;
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
        reply->count += got;
        if (got > 0 && ReplyComplete(awaited, family, reply->bytes, reply->count)) return Heard::Complete;
        if (reply->count >= kReplyBufferSize) return Heard::Incomplete;
    }
    return reply->count == 0 ? Heard::Nothing : Heard::Incomplete;
}

Status StatusOfSilence(Heard heard) {
    switch (heard) {
        case Heard::Nothing: return Status::NoAnswer;
        case Heard::PortError: return Status::IoError;
        case Heard::Interrupted: return Status::Interrupted;
        default: return Status::Garbage;
    }
}

}  // namespace

Status OpenLink(Link* link, const std::string& name, int timeoutMs, const std::atomic<bool>* stop) {
    link->name = name;
    link->timeoutMs = timeoutMs;
    link->stop = stop;
    PortError error{};
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
    ReplyBuffer reply;
    Heard heard = Exchange(link, SettingsQueryOf(family), kQueryLength, AwaitedReply::Settings, family, &reply, true);
    if (heard != Heard::Complete && heard != Heard::Incomplete) return StatusOfSilence(heard);
    ReplyInfo info = ClassifyReply(reply.bytes, reply.count);
    if (info.kind == UnknownCommand) return Status::Refused;
    if (info.kind != SettingsReply || info.payloadLength < PayloadLengthOf(family)) return Status::Garbage;
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

Status IdentifyReader(Link* link, bool usbFirst, Reader* reader) {
    const int first = usbFirst ? kUsb : kKruKrm;
    const int second = usbFirst ? kKruKrm : kUsb;
    Status status = QuerySettings(link, first, reader);
    // Only an answer that was not ours (a refusal, noise) makes the other query worth a deadline.
    if (status != Status::Refused && status != Status::Garbage) return status;
    Status other = QuerySettings(link, second, reader);
    return other == Status::NoAnswer ? status : other;
}

Status WriteSettings(Link* link, int family, const std::string& chars) {
    std::string command = std::string(kCommandPrefix) + chars;
    ReplyBuffer reply;
    Heard heard = Exchange(link, command.data(), static_cast<int>(command.size()), AwaitedReply::WriteAck, family,
                           &reply, false);
    if (heard != Heard::Complete && heard != Heard::Incomplete) return StatusOfSilence(heard);
    ReplyInfo info = ClassifyReply(reply.bytes, reply.count);
    if (info.kind == WriteAck) return Status::Ok;
    if (info.kind == UnknownCommand) return Status::Refused;
    return Status::Garbage;
}

Status QueryCard(Link* link, int family, CardIdResult* card) {
    ReplyBuffer reply;
    Heard heard = Exchange(link, kQueryCardId, kQueryLength, AwaitedReply::CardId, family, &reply, true);
    if (heard != Heard::Complete && heard != Heard::Incomplete) return StatusOfSilence(heard);
    switch (ParseCardIdReply(reply.bytes, sizeof reply.bytes, card)) {
        case CardIdComplete: return Status::Ok;
        case CardIdInvalidCommand: return Status::Refused;
        default: return Status::Garbage;
    }
}
