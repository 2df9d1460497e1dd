// SPDX-License-Identifier: Apache-2.0
#pragma once
// What the tool prints: text for people, one JSON document (UTF-8) for programs.
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/reader.h"

// "KRU", "KRM", "USB", "serial-line reader" (a reader that names no model), as JSON gives it.
std::string ModelName(const Reader& reader);
// The same for people, in their language.
std::string ModelText(int language, const Reader& reader);

// The outcome's own detail, or its status's text (StatusText).
std::string ReasonOf(int language, const PortOutcome& outcome);

// The values of the settings in the order read lists them, "touch-memory direct dynamic on":
// short enough for find's one line per reader.
std::string SettingsLine(const Reader& reader);

// One reader as JSON: port, model, family, firmware, settings (name -> value), raw, status,
// ok, error; with write: changed, changes, after.
nlohmann::json ReaderJson(int language, const PortOutcome& outcome, bool withWrite);

// The status that weighs most among several outcomes (Ok when there are none): the highest exit
// code, an interruption above all.
Status WorstStatus(const std::vector<PortOutcome>& outcomes);

// lead, then the words of text (split at blanks) on as many lines of at most width display
// columns as they need, each line after the first starting with indent blanks; every line ends
// with a line end. A word wider than the room left stands alone.
std::string Wrap(const std::string& lead, const std::string& text, std::size_t indent, std::size_t width);
// Help text is kept below this many columns: a console 80 wide wraps a full line by itself.
constexpr std::size_t kTextWidth = 79;
// Table rows too, where consoles are 80 columns wide by custom (Windows); elsewhere a row
// stays one line however long, as scripts that grep it expect.
#ifdef _WIN32
constexpr std::size_t kTableWidth = kTextWidth;
#else
constexpr std::size_t kTableWidth = static_cast<std::size_t>(-1);
#endif

// Pads text to width display columns (UTF-8 letters count one column each).
std::string Pad(const std::string& text, std::size_t width);
std::size_t DisplayWidth(const std::string& text);

// A JSON document as one line of text with a line end.
std::string JsonLine(const nlohmann::json& document);
