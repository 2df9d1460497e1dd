// SPDX-License-Identifier: Apache-2.0
#include "web/reader_face.h"

#include <cstring>

#include "core/card_id.h"
#include "core/commands.h"
#include "core/family.h"
#include "core/line.h"
#include "core/outcome_text.h"
#include "core/reader_model.h"
#include "core/settings.h"
#include "core/ui_text.h"
#include "web/json.h"
#include "web/page_texts.h"

namespace {

// A firmware that has the card query, for judging a card reply on its own.
constexpr int kCardQueryFirmware = 110;

// The window's found message for a reader's model.
UiTextId FoundText(int family, char model) {
    if (family == kUsb) return TextFoundUsb;
    if (model == kModelKru) return TextFoundKru;
    if (model == kModelKrm) return TextFoundKrm;
    return TextFoundKruKrm;
}

// The bytes the reader sent, capped as the window's reply buffer caps them.
int Capped(int count) { return count < 0 ? 0 : count > kReplyBufferSize ? kReplyBufferSize : count; }

void ReaderFields(Json* json, const EngineReader& reader) {
    json->Field("family", reader.family)
        .BytesField("model", std::string(1, reader.model))
        .BytesField("modelName", ModelFullName(ModelOfLetter(reader.model)))
        .BytesField("firmware", reader.firmware)
        .Field("firmwareVersion", reader.firmwareVersion)
        .BytesField("payload", reader.firmware + reader.chars)
        .BytesField("chars", reader.chars)
        .Field("found", WindowTextName(FoundText(reader.family, reader.model)));
}

void CardFields(Json* json, const CardIdResult& card) {
    CardIdFields fields{};
    FormatCardIdFields(card, &fields);
    // A reader with no card at it answers with zeros.
    json->Field("present", card.barcode != 0 || card.cipherId != 0)
        .Key("card").BeginObject()
        .Field("barcode", fields.barcodeDecimal)
        .Field("barcodeHex", fields.barcodeHex)
        .Field("cipher", fields.cipherDecimal)
        .Field("cipherDotted", fields.cipherDotted)
        .EndObject();
}

// Runs an engine against a reader that answers every command with reply and is silent
// otherwise, on a clock that moves only while the engine waits.
EngineOutcome Against(ReaderEngine engine, const unsigned char* reply, int count) {
    EngineTime now = 0;
    std::string pending;
    for (;;) {
        const EngineAction action = engine.Next(now);
        if (action.kind == EngineAction::Done) return engine.Outcome();
        if (action.kind == EngineAction::Send) {
            engine.Sent(SendResult::Whole, now);
            pending.assign(reinterpret_cast<const char*>(reply), static_cast<std::size_t>(count));
        } else if (pending.empty()) {
            now += action.waitMs;
            engine.Silence(now);
        } else {
            const std::size_t taken = pending.size() < static_cast<std::size_t>(action.maxBytes)
                                          ? pending.size()
                                          : static_cast<std::size_t>(action.maxBytes);
            engine.Heard(reinterpret_cast<const unsigned char*>(pending.data()), static_cast<int>(taken), now);
            pending.erase(0, taken);
        }
    }
}

}  // namespace

ReplyFit FitReplyTo(const unsigned char* command, int commandLength, const unsigned char* bytes, int count) {
    return FitReply(reinterpret_cast<const char*>(command), commandLength, bytes, Capped(count));
}

std::string OutcomeJson(const EngineOutcome& outcome, bool card) {
    Json json;
    json.BeginObject().Field("status", StatusWord(outcome.status));
    json.Key("texts").BeginArray().Text(OutcomeText(kRussian, outcome)).Text(OutcomeText(kEnglish, outcome)).EndArray();
    json.Field("sent", outcome.sent).Field("acknowledged", outcome.acknowledged).Key("changed");
    if (outcome.changed || !outcome.sent) {
        json.Bool(outcome.changed);
    } else {
        json.Null();
    }
    if (outcome.reader.Known()) ReaderFields(&json, outcome.reader);
    if (outcome.readBack.Known()) {
        json.Key("after").BeginObject().Field("status", StatusWord(Status::Ok));
        ReaderFields(&json, outcome.readBack);
        json.EndObject();
    }
    if (card) {
        CardFields(&json, outcome.card);
        const CardWatch& watch = outcome.watch;
        json.Field("newCard", outcome.newCard).Field("newFailure", outcome.newFailure)
            .Field("endsWatch", outcome.endsWatch)
            .Key("watch").BeginObject()
            .Field("holding", watch.holding)
            .Key("barcode").Number(watch.last.barcode)
            .Key("cipher").Number(watch.last.cipherId)
            .Field("reported", static_cast<int>(watch.reported))
            .EndObject();
    }
    json.EndObject();
    return json.str();
}

std::string EngineActionJson(ReaderEngine* engine, EngineTime now) {
    const EngineAction action = engine->Next(now);
    Json json;
    json.BeginObject();
    switch (action.kind) {
        case EngineAction::Listen:
            json.Field("action", "listen").Field("waitMs", action.waitMs).Field("maxBytes", action.maxBytes);
            break;
        case EngineAction::Send: json.Field("action", "send").BytesField("bytes", action.bytes); break;
        case EngineAction::Done:
            json.Field("action", "done").Key("outcome");
            // The outcome is an object of its own: spliced in whole.
            return json.str() + OutcomeJson(engine->Outcome(), engine->IsCardQuery()) + "}";
    }
    json.EndObject();
    return json.str();
}

std::string JudgeSettingsJson(int family, const unsigned char* bytes, int count) {
    if (family != kKruKrm && family != kUsb) return OutcomeJson(EngineOutcome{Status::Garbage}, false);
    return OutcomeJson(Against(ReaderEngine::ReadSettings(family, kReplyDeadlineMs), bytes, Capped(count)), false);
}

std::string JudgeWriteJson(const unsigned char* command, int commandLength, const unsigned char* bytes, int count) {
    const std::string text = command == nullptr || commandLength <= 0
                                 ? std::string()
                                 : std::string(reinterpret_cast<const char*>(command), commandLength);
    const std::string chars = text.compare(0, kCommandPrefixLength, kCommandPrefix) == 0 ? text.substr(kCommandPrefixLength)
                                                                                          : text;
    return OutcomeJson(Against(ReaderEngine::Write(chars, kReplyDeadlineMs), bytes, Capped(count)), false);
}

std::string CardAllowedJson(int firmwareVersion) {
    EngineOutcome outcome;
    outcome.status = CardQuerySupported(firmwareVersion) ? Status::Ok : Status::Unsupported;
    return OutcomeJson(outcome, false);
}

std::string JudgeCardJson(const unsigned char* bytes, int count) {
    return OutcomeJson(Against(ReaderEngine::ReadCard(kCardQueryFirmware, kReplyDeadlineMs), bytes, Capped(count)), true);
}
