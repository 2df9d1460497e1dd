// SPDX-License-Identifier: Apache-2.0
#pragma once
// The core's reader engine as the page runs it: its actions and outcomes as JSON, with the
// status words vireo4's JSON uses and the outcome's words in both languages.
#include <string>

#include "core/engine.h"
#include "core/reply.h"

// FitReply over bytes as the page holds them, capped as the window's reply buffer caps them.
ReplyFit FitReplyTo(const unsigned char* command, int commandLength, const unsigned char* bytes, int count);

// What to do next: {"action": "listen", "waitMs", "maxBytes"}, {"action": "send", "bytes"} or
// {"action": "done", "outcome"} (see OutcomeJson).
std::string EngineActionJson(ReaderEngine* engine, EngineTime now);

// An outcome: "status", "texts" (its words, [Russian, English]), "sent", "acknowledged",
// "changed" (true, false when nothing went out, null when unknown); the reader's fields when it
// is known ("family", "model", "modelName", "firmware", "firmwareVersion", "payload", "chars",
// "found": the name of the window's found text); "after" (the reader read back); for a card
// query "present", "card" and the watch's "newCard", "newFailure", "endsWatch", "watch".
std::string OutcomeJson(const EngineOutcome& outcome, bool card);

// The outcome of one request against a reader that sends these bytes to every command.
std::string JudgeSettingsJson(int family, const unsigned char* bytes, int count);
std::string JudgeWriteJson(const unsigned char* command, int commandLength, const unsigned char* bytes, int count);
std::string CardAllowedJson(int firmwareVersion);
std::string JudgeCardJson(const unsigned char* bytes, int count);
