// SPDX-License-Identifier: Apache-2.0
#include "core/engine.h"

#include <cstring>

#include "core/family.h"
#include "core/line.h"
#include "core/reply.h"
#include "core/settings.h"

ReaderEngine::ReaderEngine(Request request, int timeoutMs)
    : request_(request), timeoutMs_(timeoutMs > 0 ? timeoutMs : 0) {}

ReaderEngine ReaderEngine::Identify(bool usbFirst, int timeoutMs) {
    ReaderEngine engine(Request::Identify, timeoutMs);
    engine.usbFirst_ = usbFirst;
    engine.family_ = usbFirst ? kUsb : kKruKrm;
    engine.StartExchange(Stage::FirstQuery, SettingsQueryOf(engine.family_), true);
    return engine;
}

ReaderEngine ReaderEngine::ReadSettings(int family, int timeoutMs) {
    ReaderEngine engine(Request::ReadSettings, timeoutMs);
    engine.family_ = family == kUsb ? kUsb : kKruKrm;
    engine.StartExchange(Stage::FirstQuery, SettingsQueryOf(engine.family_), true);
    return engine;
}

ReaderEngine ReaderEngine::Write(const std::string& chars, int timeoutMs) {
    ReaderEngine engine(Request::Write, timeoutMs);
    engine.outcome_.written = chars;
    engine.StartExchange(Stage::Write, std::string(kCommandPrefix) + chars, false);
    return engine;
}

ReaderEngine ReaderEngine::WriteAndVerify(int family, const std::string& chars, int timeoutMs) {
    ReaderEngine engine = Write(chars, timeoutMs);
    engine.request_ = Request::WriteAndVerify;
    engine.family_ = family == kUsb ? kUsb : kKruKrm;
    return engine;
}

ReaderEngine ReaderEngine::ReadCard(int firmwareVersion, int timeoutMs) {
    ReaderEngine engine(Request::ReadCard, timeoutMs);
    engine.firmwareVersion_ = firmwareVersion;
    if (!CardQuerySupported(firmwareVersion)) {
        engine.Finish(Status::Unsupported);
    } else {
        engine.StartExchange(Stage::Card, kQueryCardId, true);
    }
    return engine;
}

ReaderEngine ReaderEngine::WatchStep(int firmwareVersion, int timeoutMs, const CardWatch& before) {
    ReaderEngine engine(Request::WatchStep, timeoutMs);
    engine.watchBefore_ = before;
    engine.outcome_.watch = before;
    if (!CardQuerySupported(firmwareVersion)) {
        engine.Finish(Status::Unsupported);
    } else {
        engine.StartExchange(Stage::Card, kQueryCardId, true);
    }
    return engine;
}

void ReaderEngine::StartExchange(Stage stage, const std::string& command, bool interruptible) {
    stage_ = stage;
    command_ = command;
    interruptible_ = interruptible;
    tryNumber_ = 0;
    anySent_ = false;
    phase_ = Phase::Drain;
    phaseStarted_ = false;
    talking_ = false;
    count_ = 0;
}

EngineAction ReaderEngine::Next(EngineTime now) {
    EngineAction action;
    if (Done()) return action;
    switch (phase_) {
        case Phase::Drain: {
            // A port that holds nothing costs one look; once it talked (or when patient) the gap
            // runs from the last byte heard.
            if (!phaseStarted_) {
                phaseStarted_ = true;
                limit_ = now + timeoutMs_;
                if (lineHeard_ && now - lineByte_ < kTalkingGapMs && !talking_) {
                    talking_ = true;
                    lastByte_ = lineByte_;
                }
            }
            int waitMs = 0;
            if (talking_) {
                const EngineTime left = lastByte_ + kTalkingGapMs - now;
                if (left > 0) waitMs = static_cast<int>(left);
            }
            lastWaitMs_ = waitMs;
            action.kind = EngineAction::Listen;
            action.waitMs = waitMs;
            action.maxBytes = kReplyBufferSize;
            return action;
        }
        case Phase::Send:
            action.kind = EngineAction::Send;
            action.bytes = command_;
            return action;
        case Phase::Reply: {
            const EngineTime left = limit_ - now;
            if (left <= 0) {
                EndTry(count_ == 0 ? Verdict::Nothing : Verdict::Partial);
                return Next(now);
            }
            action.kind = EngineAction::Listen;
            action.waitMs = static_cast<int>(left);
            action.maxBytes = kReplyBufferSize - count_;
            return action;
        }
    }
    return action;
}

void ReaderEngine::Heard(const unsigned char* bytes, int count, EngineTime now) {
    if (bytes == nullptr || count <= 0) {
        Silence(now);
        return;
    }
    if (Done()) return;
    lastByte_ = now;
    if (phase_ == Phase::Drain) {
        talking_ = true;
        // A port that never falls quiet within the deadline is noise.
        if (phaseStarted_ && now >= limit_) EndTry(Verdict::Noise);
        return;
    }
    if (phase_ != Phase::Reply) return;
    const int room = kReplyBufferSize - count_;
    const int taken = count < room ? count : room;
    std::memcpy(reply_ + count_, bytes, static_cast<std::size_t>(taken));
    count_ += taken;
    switch (FitReply(command_.data(), static_cast<int>(command_.size()), reply_, count_)) {
        case ReplyFit::Whole: EndTry(Verdict::Reply); return;
        case ReplyFit::Refusal: EndTry(Verdict::Refusal); return;
        case ReplyFit::Foreign: EndTry(Verdict::Noise); return;
        case ReplyFit::Partial: break;
    }
    if (count_ >= kReplyBufferSize) EndTry(Verdict::Noise);
}

void ReaderEngine::Silence(EngineTime now) {
    if (Done()) return;
    // The drain's verdict after a look that waited for nothing: the port holds nothing more.
    if (phase_ == Phase::Drain && phaseStarted_ && lastWaitMs_ == 0) {
        phase_ = Phase::Send;
        return;
    }
    if (phase_ == Phase::Reply && now >= limit_) EndTry(count_ == 0 ? Verdict::Nothing : Verdict::Partial);
}

void ReaderEngine::Sent(SendResult result, EngineTime now) {
    if (Done() || phase_ != Phase::Send) return;
    // A failed write sent nothing; a short one sent part of the command.
    anySent_ = anySent_ || result != SendResult::Failed;
    if (result != SendResult::Whole) {
        EndTry(Verdict::PortError);
        return;
    }
    phase_ = Phase::Reply;
    limit_ = now + timeoutMs_;
    count_ = 0;
}

void ReaderEngine::PortFailed(EngineTime /*now*/) {
    if (!Done()) EndTry(Verdict::PortError);
}

void ReaderEngine::Interrupt(EngineTime /*now*/) {
    if (!Done() && interruptible_) EndTry(Verdict::Interrupted);
}

void ReaderEngine::LineHeardAt(EngineTime lastByte) {
    lineHeard_ = true;
    lineByte_ = lastByte;
}

// A try that heard noise goes again, patient for the line's quiet; any other ends the exchange.
void ReaderEngine::EndTry(Verdict heard) {
    if (heard == Verdict::Noise && tryNumber_ + 1 < kCommandTries) {
        ++tryNumber_;
        phase_ = Phase::Drain;
        phaseStarted_ = false;
        talking_ = true;
        count_ = 0;
        return;
    }
    ExchangeDone(heard);
}

Status ReaderEngine::QueryStatus(Verdict heard, int family, EngineReader* reader) const {
    switch (heard) {
        case Verdict::Reply: break;
        case Verdict::Refusal: return Status::Refused;
        case Verdict::Nothing: return Status::NoAnswer;
        case Verdict::PortError: return Status::IoError;
        case Verdict::Interrupted: return Status::Interrupted;
        case Verdict::Noise:
        case Verdict::Partial: return Status::Garbage;
    }
    if (reader == nullptr) return Status::Ok;
    const ReplyInfo info = ClassifyReply(reply_, count_);
    const char* payload = reinterpret_cast<const char*>(reply_ + info.payloadStart);
    reader->family = family;
    reader->model = info.modelLetter;
    reader->firmwareVersion = info.firmwareVersion;
    reader->firmware.assign(payload, kFirmwareLabelLength);
    reader->chars.assign(payload + kFirmwareLabelLength, static_cast<std::size_t>(SettingsLengthOf(family)));
    return CheckFirmwareVersion(family, payload) ? Status::Ok : Status::FirmwareUnsupported;
}

void ReaderEngine::ExchangeDone(Verdict heard) {
    switch (stage_) {
        case Stage::FirstQuery: {
            EngineReader reader;
            const Status status = QueryStatus(heard, family_, &reader);
            if (heard == Verdict::Reply) outcome_.reader = reader;
            // Only an answer that was not this query's (a refusal, noise) makes the other query
            // worth a deadline; the start of this query's own reply says the family already.
            if (request_ != Request::Identify || (heard != Verdict::Refusal && heard != Verdict::Noise)) {
                Finish(status);
                return;
            }
            firstStatus_ = status;
            family_ = usbFirst_ ? kKruKrm : kUsb;
            StartExchange(Stage::SecondQuery, SettingsQueryOf(family_), true);
            return;
        }
        case Stage::SecondQuery: {
            EngineReader reader;
            const Status other = QueryStatus(heard, family_, &reader);
            // Silence, or a refusal after noise, says less than what the first query heard.
            if (other == Status::NoAnswer || (other == Status::Refused && firstStatus_ == Status::Garbage)) {
                Finish(firstStatus_);
                return;
            }
            if (heard == Verdict::Reply) outcome_.reader = reader;
            Finish(other);
            return;
        }
        case Stage::Write: {
            const Status status = QueryStatus(heard, family_, nullptr);
            outcome_.sent = anySent_;
            outcome_.acknowledged = status == Status::Ok;
            // A reader that refused took nothing; a command that never went out changed nothing.
            if (request_ == Request::Write || status == Status::Refused || !anySent_) {
                Finish(status);
            } else if (status == Status::Ok) {
                StartExchange(Stage::ReadBack, SettingsQueryOf(family_), true);
            } else {
                outcome_.cause = status;
                Finish(Status::Unconfirmed);
            }
            return;
        }
        case Stage::ReadBack: {
            EngineReader reader;
            const Status status = QueryStatus(heard, family_, &reader);
            if (status == Status::Ok) {
                outcome_.readBack = reader;
                outcome_.changed = reader.chars == outcome_.written;
                Finish(outcome_.changed ? Status::Ok : Status::Mismatch);
                return;
            }
            // The command went out, and no read-back tells what the reader holds.
            outcome_.cause = status;
            Finish(Status::Unconfirmed);
            return;
        }
        case Stage::Card: {
            Status status = QueryStatus(heard, family_, nullptr);
            if (status == Status::Ok) {
                outcome_.tooLarge = ReadCardIdNumbers(reply_, static_cast<std::size_t>(count_), &outcome_.card);
                // A number too large for its field is never shown as another card.
                if (outcome_.tooLarge != CardIdField::None) {
                    outcome_.card = CardIdResult{};
                    status = Status::NotRecognized;
                }
            }
            Finish(status);
            return;
        }
        case Stage::Finished: return;
    }
}

void ReaderEngine::Finish(Status status) {
    stage_ = Stage::Finished;
    outcome_.status = status;
    if (request_ == Request::WatchStep) FinishWatch();
}

// A reader that refuses, is silent or sends noise may be busy or restarting: the watch goes on
// and tells it once, until the reader answers again. Whether the card was taken away meanwhile
// is unknown: the one held stays held.
void ReaderEngine::FinishWatch() {
    CardWatch& watch = outcome_.watch;
    const Status status = outcome_.status;
    if (status == Status::Interrupted) return;
    if (status != Status::Ok) {
        outcome_.newFailure = status != watchBefore_.reported;
        watch.reported = status;
        outcome_.endsWatch = status == Status::IoError || status == Status::PortError || status == Status::Unsupported;
        return;
    }
    watch.reported = Status::Ok;
    const CardIdResult& card = outcome_.card;
    const bool present = card.barcode != 0 || card.cipherId != 0;
    const bool same = card.barcode == watchBefore_.last.barcode && card.cipherId == watchBefore_.last.cipherId;
    outcome_.newCard = present && !(watchBefore_.holding && same);
    watch.holding = present;
    watch.last = card;
}
