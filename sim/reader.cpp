// SPDX-License-Identifier: Apache-2.0
#include "reader.h"

#include <cctype>
#include <cstdio>

#include "core/commands.h"

namespace {

constexpr const char* kDefaultKruKrmSettings = "TMX1DO";
constexpr const char* kDefaultUsbSettings = "WHDH5EM";
constexpr const char* kDefaultFirmware = "1.10";
constexpr const char* kDefaultBarcode = "1234567";
constexpr const char* kDefaultCipher = "54321";
constexpr size_t kBarcodeDigits = 10;   // padded to ten digits, then a space

// Each setting field lists the strings the reader accepts for it, in wire order.
struct Field {
    int length;
    const char* choices[5];
};
constexpr Field kKruKrmFields[] = {
    {3, {"TMX", "W26", "W44", "W58", nullptr}},
    {1, {"1", "0", nullptr}},
    {1, {"D", "S", "A", nullptr}},
    {1, {"O", "F", nullptr}},
};
constexpr Field kUsbFields[] = {
    {1, {"W", "A", nullptr}},
    {3, {"HDH", "HDD", "TMX", nullptr}},
    {1, {"7", "5", "4", "3", "2"}},
    {2, {"EM", "EX", "XM", nullptr}},
};

bool FieldsMatch(const Field* fields, size_t fieldCount, const std::string& settings) {
    size_t offset = 0;
    for (size_t f = 0; f < fieldCount; ++f) {
        const Field& field = fields[f];
        if (offset + static_cast<size_t>(field.length) > settings.size()) return false;
        std::string part = settings.substr(offset, static_cast<size_t>(field.length));
        bool found = false;
        for (const char* choice : field.choices) {
            if (choice != nullptr && part == choice) found = true;
        }
        if (!found) return false;
        offset += static_cast<size_t>(field.length);
    }
    return offset == settings.size();
}

std::string Join(const std::string& echo, const char* verdict) {
    return std::string(kReplyStart) + echo + kVerdictSeparator + verdict;
}

std::string Refusal(const std::string& command) { return Join(command, kVerdictUnknown); }

std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string SettingsReply(const ReaderState& reader, const std::string& command) {
    std::string echo = command;
    echo.back() = reader.model;
    std::string settings = reader.lowerCase ? LowerCase(reader.settings) : reader.settings;
    return Join(echo, kVerdictOk) + kPayloadMarker + reader.firmware + settings;
}

std::string PadLeft(const std::string& digits, size_t width) {
    return digits.size() >= width ? digits : std::string(width - digits.size(), '0') + digits;
}

std::string CardIdReply(const ReaderState& reader) {
    // The barcode field is 11 characters: ten digits and a space, or eleven digits.
    std::string barcode = PadLeft(reader.barcode, kBarcodeDigits);
    if (barcode.size() == kBarcodeDigits) barcode += ' ';
    std::string reply = std::string(kCardIdReplyPrefix) + barcode +
                        PadLeft(reader.cipher, static_cast<size_t>(kCipherIdDigits));
    if (!reader.noDot) reply += kCardIdEnd;
    return reply;
}

}  // namespace

bool IsKnownModel(char model) {
    return model == kModelKru || model == kModelKrm || model == kModelNone || model == kModelUsb;
}

bool IsUsbModel(char model) { return model == kModelUsb; }

void ClearMisbehaviour(ReaderState* reader) {
    reader->silent = false;
    reader->silentAfter = -1;
    reader->refuse = false;
    reader->garbage = false;
    reader->lowerCase = false;
    reader->noDot = false;
    reader->cutBytes = -1;
    reader->splitMs = 0;
    reader->splitAt = -1;
    reader->floodBytes = 0;
    reader->lateMs = -1;
    reader->rawReply.clear();
    reader->rawPending = false;
}

void InitReader(ReaderState* reader, char model) {
    reader->model = model;
    reader->firmware = kDefaultFirmware;
    reader->settings = IsUsbModel(model) ? kDefaultUsbSettings : kDefaultKruKrmSettings;
    reader->barcode = kDefaultBarcode;
    reader->cipher = kDefaultCipher;
    reader->replyDelayMs = kDefaultReplyDelayMs;
    reader->baudDelay = true;
    ClearMisbehaviour(reader);
}

bool ValidSettings(char model, const std::string& settings) {
    if (IsUsbModel(model)) {
        return FieldsMatch(kUsbFields, sizeof kUsbFields / sizeof kUsbFields[0], settings);
    }
    return FieldsMatch(kKruKrmFields, sizeof kKruKrmFields / sizeof kKruKrmFields[0], settings);
}

std::string HonestReply(ReaderState* reader, const std::string& command) {
    bool usb = IsUsbModel(reader->model);
    if (command == kQueryKruKrm) return usb ? Refusal(command) : SettingsReply(*reader, command);
    if (command == kQueryUsb) return usb ? SettingsReply(*reader, command) : Refusal(command);
    if (command == kQueryCardId) return CardIdReply(*reader);

    size_t writeLength = static_cast<size_t>(usb ? kUsbWriteLength : kKruKrmWriteLength);
    if (command.size() == writeLength && command.compare(0, kCommandPrefixLength, kCommandPrefix) == 0) {
        std::string settings = command.substr(kCommandPrefixLength);
        if (ValidSettings(reader->model, settings)) {
            reader->settings = settings;
            return Join(command, kVerdictOk);
        }
    }
    return Refusal(command);
}

ReplyPlan PlanReply(ReaderState* reader, const std::string& command) {
    ReplyPlan plan;
    plan.delayMs = reader->lateMs >= 0 ? reader->lateMs : reader->replyDelayMs;
    plan.splitAt = -1;
    plan.splitMs = 0;

    if (reader->rawPending) {
        // A raw reply goes out exactly as given, in place of whatever the reader would say.
        plan.bytes = reader->rawReply;
        reader->rawPending = false;
        reader->rawReply.clear();
    } else if (reader->refuse) {
        plan.bytes = Refusal(command);
    } else {
        plan.bytes = HonestReply(reader, command);
        if (reader->garbage) plan.bytes = GarbageBytes();
        plan.bytes += FloodBytes(reader->floodBytes);
        if (reader->cutBytes >= 0 && static_cast<size_t>(reader->cutBytes) < plan.bytes.size()) {
            plan.bytes.resize(static_cast<size_t>(reader->cutBytes));
        }
    }
    // "silent after N": the reader answers N more commands, then falls silent.
    if (reader->silentAfter == 0) {
        reader->silent = true;
        reader->silentAfter = -1;
    } else if (reader->silentAfter > 0) {
        --reader->silentAfter;
    }
    if (reader->silent) plan.bytes.clear();

    if (reader->splitMs > 0 && plan.bytes.size() > 1) {
        int half = static_cast<int>(plan.bytes.size() / 2);
        int at = reader->splitAt >= 0 ? reader->splitAt : half;
        if (at > 0 && static_cast<size_t>(at) < plan.bytes.size()) {
            plan.splitAt = at;
            plan.splitMs = reader->splitMs;
        }
    }
    return plan;
}

bool IsCompleteCommand(const std::string& pending) {
    return pending == kQueryKruKrm || pending == kQueryUsb || pending == kQueryCardId;
}

std::string GarbageBytes() {
    static const char kNoise[] = "\n\r\x13\x80@#!~gArb4g3\xfe\x00?%&*+|{}<>\x7f=";
    return std::string(kNoise, sizeof kNoise - 1);
}

std::string FloodBytes(int count) {
    std::string bytes;
    for (int k = 0; k < count; ++k) bytes += static_cast<char>('0' + k % 10);
    return bytes;
}

bool ParseHex(const std::string& text, std::string* bytes) {
    std::string out;
    int high = -1;
    for (char c : text) {
        if (c == ' ' && high < 0) continue;
        int value;
        if (c >= '0' && c <= '9') {
            value = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            value = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            value = c - 'A' + 10;
        } else {
            return false;
        }
        if (high < 0) {
            high = value;
        } else {
            out += static_cast<char>(high * 16 + value);
            high = -1;
        }
    }
    if (high >= 0) return false;
    *bytes = out;
    return true;
}

std::string EscapeBytes(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

bool IsDigits(const std::string& text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}
