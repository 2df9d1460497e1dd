#pragma once
// What the tool prints: text for people, one JSON document (UTF-8) for programs.
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/reader.h"

// "KRU", "KRM", "USB", "serial-line reader" (a reader that names no model).
std::string ModelName(const Reader& reader);

// The reason of a status in the user's language, texts the window has taken from its table.
std::string StatusText(int language, Status status);
// The outcome's own detail, or the status text.
std::string ReasonOf(int language, const PortOutcome& outcome);
// A machine-readable word for a status ("no-answer", "busy", ...).
const char* StatusWord(Status status);

// "interface=touch-memory indication=direct ..."
std::string SettingsLine(const Reader& reader);

// One reader as JSON: port, model, family, firmware, settings (name -> value), raw, status,
// ok, error; with write: changed, changes, after.
nlohmann::json ReaderJson(int language, const PortOutcome& outcome, bool withWrite);

// The status that weighs most among several outcomes (Ok when there are none): the highest exit
// code, an interruption above all.
Status WorstStatus(const std::vector<PortOutcome>& outcomes);

// Pads text to width display columns (UTF-8 letters count one column each).
std::string Pad(const std::string& text, std::size_t width);
std::size_t DisplayWidth(const std::string& text);

// A JSON document as one line of text with a line end.
std::string JsonLine(const nlohmann::json& document);
