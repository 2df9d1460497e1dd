// SPDX-License-Identifier: Apache-2.0
#pragma once
// How a reader is talked to, without a port, a thread or a clock of its own. An engine is made
// for one request (identify a reader, read its settings, write, write and verify, read a card, one
// step of a card watch); its caller, a small loop around a port, asks it what to do next (listen
// for so long, send these bytes, or done), does it, and tells it what happened, with the time on
// a clock of the caller's that counts milliseconds. It ends in an outcome with a status.
//
// The rules: what the port still holds from before a command is drained until the line has been
// quiet a while; only the reply to the command sent is taken (FitReply), read until it is whole
// or the deadline passes; a command whose reply was foreign goes out again, kCommandTries in all,
// patient for the line's quiet; bytes that are no reply are noise, never a reader.
#include <cstdint>
#include <string>

#include "core/card_id.h"
#include "core/commands.h"
#include "core/status.h"

// Once a reader was found talking out of turn, its line must have been silent this long before
// a command goes out: it rides out a USB converter's packet latency and a busy machine's
// scheduling (the window takes 60 ms of silence as the end of a reply).
constexpr int kTalkingGapMs = 50;
// How often a card watch asks the reader; a card held for less than this may be missed.
constexpr int kWatchIntervalMs = 250;

using EngineTime = std::int64_t;  // milliseconds on the caller's steady clock

// A reader as its settings reply tells it.
struct EngineReader {
    int family = -1;          // ReaderFamily once a settings reply came
    char model = 0;           // 'U', 'M', 'X', 'B'
    int firmwareVersion = 0;  // 110 for "1.10"
    std::string firmware;     // the label, "1.10"
    std::string chars;        // the setting characters (6 or 7)
    bool Known() const { return family >= 0; }
};

// What a card watch remembers between its steps: the card held, and the failure already told.
struct CardWatch {
    bool holding = false;
    CardIdResult last{};
    Status reported = Status::Ok;
};

struct EngineOutcome {
    Status status = Status::NoAnswer;
    // Unconfirmed: what became of the acknowledgement, or of the read-back once acknowledged.
    Status cause = Status::Ok;
    bool sent = false;          // write: the command went out (else nothing was changed)
    bool acknowledged = false;  // write: the reader said OK to it
    bool changed = false;       // write and verify: written, and read back as written
    EngineReader reader;        // identify, read: what the reader holds
    EngineReader readBack;      // write and verify: what was read back (Ok or Mismatch)
    std::string written;        // write: the setting characters sent
    CardIdResult card{};        // card: the numbers read (zeros: no card at the reader)
    CardIdField tooLarge = CardIdField::None;  // card, NotRecognized: the number too large
    // A watch step: the card is one not told before, the failure one not told before, the
    // watch cannot go on (the port failed, the firmware lacks the query).
    bool newCard = false;
    bool newFailure = false;
    bool endsWatch = false;
    CardWatch watch;            // what the next step starts from
};

struct EngineAction {
    enum Kind { Listen, Send, Done };
    Kind kind = Done;
    int waitMs = 0;    // Listen: at most this long, less as soon as a byte comes (0: one look)
    int maxBytes = 0;  // Listen: at most this many bytes are taken; the rest stay in the port
    std::string bytes; // Send: written with one write
};

enum class SendResult { Whole, Partial, Failed };

class ReaderEngine {
public:
    // The KRU/KRM query first (the USB query first when the port's USB identity names the USB
    // reader); the other query only when the first got an answer that was not a settings reply,
    // so a silent port costs one deadline.
    static ReaderEngine Identify(bool usbFirst, int timeoutMs);
    static ReaderEngine ReadSettings(int family, int timeoutMs);
    // The setting characters (6 for a KRU/KRM reader, 7 for the USB reader) and their
    // acknowledgement. Never interrupted: a reader is not left half-told.
    static ReaderEngine Write(const std::string& chars, int timeoutMs);
    // Write, then the settings read back: Ok (changed), Refused, Mismatch, Unconfirmed (sent,
    // but no acknowledgement or read-back came), or the port's failure when nothing went out.
    static ReaderEngine WriteAndVerify(int family, const std::string& chars, int timeoutMs);
    // The card query: Unsupported on firmware without it; NotRecognized when a number does not
    // fit in 32 bits.
    static ReaderEngine ReadCard(int firmwareVersion, int timeoutMs);
    // One card query of a watch, judged against what the watch told before.
    static ReaderEngine WatchStep(int firmwareVersion, int timeoutMs, const CardWatch& before);

    EngineAction Next(EngineTime now);
    // What a Listen heard: bytes (count > 0), or nothing up to now.
    void Heard(const unsigned char* bytes, int count, EngineTime now);
    void Silence(EngineTime now);
    void Sent(SendResult result, EngineTime now);
    // The port failed (read error, unplugged).
    void PortFailed(EngineTime now);
    // Ctrl-C: a query ends at once; a write command's exchange is seen through.
    void Interrupt(EngineTime now);
    // When the port last gave a byte before this request, for a port that hands bytes on in
    // batches (the browser's): a line heard within the gap is still talking, though a look finds
    // nothing yet. A port that keeps every byte until read needs none.
    void LineHeardAt(EngineTime lastByte);

    bool Done() const { return stage_ == Stage::Finished; }
    const EngineOutcome& Outcome() const { return outcome_; }
    bool IsCardQuery() const { return request_ == Request::ReadCard || request_ == Request::WatchStep; }

private:
    enum class Request { Identify, ReadSettings, Write, WriteAndVerify, ReadCard, WatchStep };
    enum class Stage { FirstQuery, SecondQuery, Write, ReadBack, Card, Finished };
    enum class Phase { Drain, Send, Reply };
    enum class Verdict {
        Reply,      // the whole reply to this command
        Refusal,    // " - UNKNOWN CMD!" echoing this command
        Noise,      // bytes that are no reply to this command
        Partial,    // the start of this command's reply, the rest late or missing
        Nothing,
        PortError,
        Interrupted,
    };

    ReaderEngine(Request request, int timeoutMs);
    void StartExchange(Stage stage, const std::string& command, bool interruptible);
    void EndTry(Verdict heard);
    void ExchangeDone(Verdict heard);
    Status QueryStatus(Verdict heard, int family, EngineReader* reader) const;
    void Finish(Status status);
    void FinishWatch();

    Request request_;
    int timeoutMs_;
    Stage stage_ = Stage::Finished;
    EngineOutcome outcome_;
    bool usbFirst_ = false;
    int family_ = 0;
    int firmwareVersion_ = 0;
    Status firstStatus_ = Status::NoAnswer;
    CardWatch watchBefore_;

    // The exchange of one command.
    std::string command_;
    bool interruptible_ = true;
    int tryNumber_ = 0;
    bool anySent_ = false;
    Phase phase_ = Phase::Drain;
    bool phaseStarted_ = false;  // its limit is set on the first Next of the phase
    bool talking_ = false;       // the drain heard bytes (or, patient, waits in any case)
    int lastWaitMs_ = 0;
    EngineTime lastByte_ = 0;
    bool lineHeard_ = false;
    EngineTime lineByte_ = 0;
    EngineTime limit_ = 0;       // Drain: noise beyond it; Reply: the deadline
    unsigned char reply_[kReplyBufferSize] = {};
    int count_ = 0;
};
