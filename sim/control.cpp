// SPDX-License-Identifier: Apache-2.0
#include "control.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxDelayMs = 600000;       // ten minutes: anything longer is a typo
constexpr int kMaxReplyBytes = 4096;      // cut, flood and split positions
constexpr int kMaxReplyCount = 100000;    // silent after N
constexpr size_t kMaxBarcodeDigits = 11;  // ten digits and a space, or eleven digits
constexpr size_t kMaxCipherDigits = 10;
constexpr size_t kMaxLabelLength = 16;    // firmware label and settings string

struct Word {
    const char* name;
    int optionArguments;
};

// Switches take an optional on/off on a control line and nothing as an option.
constexpr Word kWords[] = {
    {"silent", 0}, {"refuse", 0},   {"garbage", 0},  {"lower", 0},   {"nodot", 0},
    {"noddot", 0}, {"normal", 0},   {"cut", 1},      {"split", 1},   {"flood", 1},
    {"late", 1},   {"delay", 1},    {"raw", 1},      {"firmware", 1}, {"settings", 1},
    {"model", 1},  {"baud-delay", 1}, {"card", 2},   {"vanish", 0},  {"return", 0},
};

bool ParseNumber(const std::string& text, int maxValue, int* value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    long parsed = std::strtol(text.c_str(), nullptr, 10);
    if (parsed > maxValue) return false;
    *value = static_cast<int>(parsed);
    return true;
}

// "on" (or nothing) and "off".
bool ParseSwitch(const std::vector<std::string>& words, bool* value) {
    if (words.size() == 1 || (words.size() == 2 && words[1] == "on")) {
        *value = true;
        return true;
    }
    if (words.size() == 2 && words[1] == "off") {
        *value = false;
        return true;
    }
    return false;
}

// A number, or "off" giving offValue.
bool ParseNumberOrOff(const std::vector<std::string>& words, int maxValue, int offValue, int* value) {
    if (words.size() != 2) return false;
    if (words[1] == "off") {
        *value = offValue;
        return true;
    }
    return ParseNumber(words[1], maxValue, value);
}

bool IsPrintableText(const std::string& text) {
    if (text.empty() || text.size() > kMaxLabelLength) return false;
    for (unsigned char c : text) {
        if (c < 0x21 || c > 0x7e) return false;
    }
    return true;
}

ControlAction Fail(std::string* error, const std::string& why) {
    *error = why;
    return ControlError;
}

}  // namespace

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

int OptionArgumentCount(const std::string& word) {
    for (const Word& w : kWords) {
        if (word == w.name) return w.optionArguments;
    }
    return -1;
}

ControlAction ApplyControlLine(ReaderState* reader, const std::string& line, std::string* error) {
    std::vector<std::string> words = SplitWords(line);
    if (words.empty()) return Fail(error, "empty line");
    const std::string& verb = words[0];
    const std::string usage = "bad arguments for '" + verb + "'";

    if (verb == "silent" && words.size() == 3 && words[1] == "after") {
        int replies = 0;
        if (!ParseNumber(words[2], kMaxReplyCount, &replies)) return Fail(error, usage + " (silent after N)");
        reader->silentAfter = replies;
        return ControlDone;
    }
    if (verb == "silent" || verb == "refuse" || verb == "garbage" || verb == "lower" ||
        verb == "nodot" || verb == "noddot") {
        bool on = false;
        if (!ParseSwitch(words, &on)) return Fail(error, usage + " (on or off)");
        if (verb == "silent") {
            reader->silent = on;
            reader->silentAfter = -1;
        }
        if (verb == "refuse") reader->refuse = on;
        if (verb == "garbage") reader->garbage = on;
        if (verb == "lower") reader->lowerCase = on;
        if (verb == "nodot" || verb == "noddot") reader->noDot = on;
        return ControlDone;
    }
    if (verb == "normal" && words.size() == 1) {
        ClearMisbehaviour(reader);
        return ControlDone;
    }
    if (verb == "cut") {
        if (!ParseNumberOrOff(words, kMaxReplyBytes, -1, &reader->cutBytes)) return Fail(error, usage);
        return ControlDone;
    }
    if (verb == "flood") {
        if (!ParseNumberOrOff(words, kMaxReplyBytes, 0, &reader->floodBytes)) return Fail(error, usage);
        return ControlDone;
    }
    if (verb == "late") {
        if (!ParseNumberOrOff(words, kMaxDelayMs, -1, &reader->lateMs)) return Fail(error, usage);
        return ControlDone;
    }
    if (verb == "delay") {
        int ms = 0;
        if (words.size() != 2 || !ParseNumber(words[1], kMaxDelayMs, &ms)) return Fail(error, usage);
        reader->replyDelayMs = ms;
        return ControlDone;
    }
    if (verb == "split") {
        int ms = 0;
        int at = -1;
        if (words.size() == 2 && words[1] == "off") {
            reader->splitMs = 0;
            reader->splitAt = -1;
            return ControlDone;
        }
        if (words.size() < 2 || words.size() > 3 || !ParseNumber(words[1], kMaxDelayMs, &ms) ||
            (words.size() == 3 && !ParseNumber(words[2], kMaxReplyBytes, &at))) {
            return Fail(error, usage + " (split MS [AT] or split off)");
        }
        reader->splitMs = ms;
        reader->splitAt = at;
        return ControlDone;
    }
    if (verb == "raw") {
        std::string bytes;
        if (words.size() < 2) return Fail(error, usage + " (hex bytes)");
        std::string hex;
        for (size_t k = 1; k < words.size(); ++k) hex += words[k];
        if (!ParseHex(hex, &bytes)) return Fail(error, usage + " (hex bytes)");
        reader->rawReply = bytes;
        reader->rawPending = true;
        return ControlDone;
    }
    if (verb == "firmware" || verb == "settings") {
        if (words.size() != 2 || !IsPrintableText(words[1])) return Fail(error, usage);
        (verb == "firmware" ? reader->firmware : reader->settings) = words[1];
        return ControlDone;
    }
    if (verb == "model") {
        if (words.size() != 2 || words[1].size() != 1 || !IsKnownModel(words[1][0])) {
            return Fail(error, usage + " (U, M, X or B)");
        }
        reader->model = words[1][0];
        return ControlDone;
    }
    if (verb == "baud-delay") {
        if (words.size() != 2 || !ParseSwitch(words, &reader->baudDelay)) {
            return Fail(error, usage + " (on or off)");
        }
        return ControlDone;
    }
    if (verb == "card") {
        if (words.size() != 3 || !IsDigits(words[1], kMaxBarcodeDigits) ||
            !IsDigits(words[2], kMaxCipherDigits)) {
            return Fail(error, usage + " (card BARCODE CIPHER: up to 11 and 10 digits)");
        }
        reader->barcode = words[1];
        reader->cipher = words[2];
        return ControlDone;
    }
    if (verb == "vanish" && words.size() == 1) return ControlVanish;
    if (verb == "return" && words.size() == 1) return ControlReturn;
    return Fail(error, "unknown control line '" + line + "'");
}
