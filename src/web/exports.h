// SPDX-License-Identifier: Apache-2.0
#pragma once
// The functions the browser page calls in the core's WebAssembly build. The page owns the port
// (Web Serial: open, write, read until the reply is complete or a deadline passes) and the DOM;
// every rule is one of these calls.
//
// Conventions: bytes from a reader or a file come in as pointer and length (they may hold any
// byte, NUL included); a char* result is a NUL-terminated UTF-8 JSON text the page frees with
// vw_free. Byte strings inside the JSON (setting characters, commands) carry one character per
// byte. A reader is passed as its family, model letter, firmware number (110 for 1.10) and its
// payload (the firmware label and the setting characters, "1.10TMX1DO"). language is 0 for
// Russian, 1 for English.
#include <cstddef>

extern "C" {

void vw_free(char* result);

// Every text the page shows, by name (the window's texts under their entry names).
char* vw_texts(int language);

// Line settings, the reply deadline, the USB reader's identity, the card watch's interval and
// the values of vw_fit_reply: {"baudRate":19200, "dataBits":8, ...}.
char* vw_constants();

// {"command": bytes} of the settings query of a family, or of the card query (family -1).
char* vw_query(int family);

// How the count bytes received stand to the command sent, as vireo4 reads them: 0 more are due,
// 1 the whole reply, 2 the reader refused, 3 no reply to this command (noise, another echo).
int vw_fit_reply(const unsigned char* command, int commandLength, const unsigned char* bytes, int count);

// The reader engine (core/engine.h), one per request: the page asks vw_engine_next what to do
// (listen, send, or done with the outcome), does it, and tells the engine what happened, with
// the time in milliseconds (performance.now()). vw_engine_end frees it.
struct VwEngine;
VwEngine* vw_engine_identify(int usbFirst, int timeoutMs);
VwEngine* vw_engine_read(int family, int timeoutMs);
// Writes the setting characters and reads them back.
VwEngine* vw_engine_write(int family, const unsigned char* chars, int length, int timeoutMs);
VwEngine* vw_engine_card(int firmwareVersion, int timeoutMs);
// One step of a card watch, from the "watch" of the step before (zeros for the first).
VwEngine* vw_engine_watch(int firmwareVersion, int timeoutMs, int holding, unsigned barcode, unsigned cipher,
                          int reported);
// {"action": "listen", "waitMs", "maxBytes"}, {"action": "send", "bytes"} or {"action": "done",
// "outcome"}: see OutcomeJson in reader_face.h.
char* vw_engine_next(VwEngine* engine, double now);
// What a listen heard: bytes, or (count 0) nothing up to now.
void vw_engine_heard(VwEngine* engine, const unsigned char* bytes, int count, double now);
// A send: 0 written whole, 1 written in part, 2 not written.
void vw_engine_sent(VwEngine* engine, int result, double now);
// When the port last gave a byte (ReaderEngine::LineHeardAt).
void vw_engine_line_heard(VwEngine* engine, double lastByte);
// The port failed (it is gone, or its read ended).
void vw_engine_failed(VwEngine* engine, double now);
void vw_engine_end(VwEngine* engine);

// A text (UTF-8) with %1 and %2 filled in: {"text"}.
char* vw_format(const unsigned char* text, int textLength, const unsigned char* first, int firstLength,
                const unsigned char* second, int secondLength);

// What a status word reads as in a language: {"text"}.
char* vw_status_text(const unsigned char* word, int length, int language);

// What the reply to a settings query says, as vw_engine_read's outcome would with a reader that
// sent these bytes.
char* vw_judge_settings(int family, const unsigned char* bytes, int count);

// What the reply to a write command says: {"status"}.
char* vw_judge_write(const unsigned char* command, int commandLength, const unsigned char* bytes, int count);

// The card query for a reader: {"status"} "unsupported" when its firmware lacks it.
char* vw_card_allowed(int firmwareVersion);

// An ID reply: {"status", "present" (false for zeros: no card at the reader), "card":
// {"barcode", "barcodeHex", "cipher", "cipherDotted"}}.
char* vw_judge_card(const unsigned char* bytes, int count);
// The window's groups of a reader, with the user's choices (NAME=VALUE lines) on top of its
// settings: see ViewJson in settings_face.h.
char* vw_view(int family, int model, int firmwareVersion, const unsigned char* payload, int payloadLength,
              const unsigned char* choices, int choicesLength, int language);

// The choices after the user picks "name=value": {"choices"}.
char* vw_choose(int family, int model, int firmwareVersion, const unsigned char* payload, int payloadLength,
                const unsigned char* choices, int choicesLength, const unsigned char* pick, int pickLength);

// The reader's settings as a profile file: {"text", "fileName"}. label names the port in its
// comment line.
char* vw_profile_text(int family, int model, int firmwareVersion, const unsigned char* payload, int payloadLength,
                      const unsigned char* label, int labelLength);

// A profile file's bytes checked by the core's parser: {"ok", "error", "sections"}.
char* vw_profile_check(const unsigned char* text, int length, int language);

// What writing the user's choices would do: see TargetJson in settings_face.h.
char* vw_target(int family, int model, int firmwareVersion, const unsigned char* payload, int payloadLength,
                const unsigned char* choices, int choicesLength, int language);

// What applying a profile would do to a reader: the same, or {"status": "skipped"} without a
// section for its family, or {"status": "usage"} for a profile that does not parse.
char* vw_profile_target(const unsigned char* text, int length, int family, int model, int firmwareVersion,
                        const unsigned char* payload, int payloadLength, int language);
}
