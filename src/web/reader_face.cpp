#include "web/reader_face.h"

#include "core/card_id.h"
#include "core/commands.h"
#include "core/family.h"
#include "core/reader_model.h"
#include "core/reply.h"
#include "core/settings.h"
#include "core/text_cp1251.h"
#include "core/ui_text.h"
#include "web/json.h"

namespace {

constexpr unsigned long long kLargestCardNumber = 4294967295ull;

std::string StatusOnly(const char* word) {
    Json json;
    json.BeginObject().Field("status", word).EndObject();
    return json.str();
}

// The window's found message for a reader's model.
UiTextId FoundText(int family, char model) {
    if (family == kUsb) return TextFoundUsb;
    if (model == kModelKru) return TextFoundKru;
    if (model == kModelKrm) return TextFoundKrm;
    return TextFoundKruKrm;
}

// The bytes the reader sent, capped as the window's reply buffer caps them.
int Capped(int count) { return count < 0 ? 0 : count > kReplyBufferSize ? kReplyBufferSize : count; }

// A number that does not fit 32 bits would be shown saturated, as another card: the digits of
// a field, up to its first non-digit, must make a number the reader can mean.
bool FitsItsField(const unsigned char* digits, int width) {
    unsigned long long value = 0;
    for (int i = 0; i < width && digits[i] >= '0' && digits[i] <= '9'; ++i) {
        value = value * 10 + (digits[i] - '0');
        if (value > kLargestCardNumber) return false;
    }
    return true;
}

}  // namespace

std::string JudgeSettingsJson(int family, const unsigned char* bytes, int count, int language) {
    count = Capped(count);
    if (count == 0) return StatusOnly(status::kNoAnswer);
    const ReplyInfo info = ClassifyReply(bytes, count);
    if (info.kind == UnknownCommand) return StatusOnly(status::kRefused);
    if (info.kind != SettingsReply || info.payloadLength < PayloadLengthOf(family)) return StatusOnly(status::kGarbage);
    const char* payload = reinterpret_cast<const char*>(bytes + info.payloadStart);
    const bool supported = CheckFirmwareVersion(family, payload);
    Json json;
    json.BeginObject()
        .Field("status", supported ? status::kOk : status::kFirmwareUnsupported)
        .Field("family", family)
        .BytesField("model", std::string(1, info.modelLetter))
        .BytesField("modelName", ModelFullName(ModelOfLetter(info.modelLetter)))
        .BytesField("firmware", std::string(payload, kFirmwareLabelLength))
        .Field("firmwareVersion", info.firmwareVersion)
        .BytesField("payload", std::string(payload, PayloadLengthOf(family)))
        .BytesField("chars", std::string(payload + kFirmwareLabelLength, SettingsLengthOf(family)))
        .Field("found", Cp1251ToUtf8(UiTextIn(language, FoundText(family, info.modelLetter))))
        .EndObject();
    return json.str();
}

std::string JudgeWriteJson(const unsigned char* bytes, int count) {
    count = Capped(count);
    if (count == 0) return StatusOnly(status::kNoAnswer);
    switch (ClassifyReply(bytes, count).kind) {
        case WriteAck: return StatusOnly(status::kOk);
        case UnknownCommand: return StatusOnly(status::kRefused);
        default: return StatusOnly(status::kGarbage);
    }
}

std::string CardAllowedJson(int firmwareVersion) {
    return StatusOnly(CardQuerySupported(firmwareVersion) ? status::kOk : status::kUnsupported);
}

std::string JudgeCardJson(const unsigned char* bytes, int count) {
    count = Capped(count);
    if (count == 0) return StatusOnly(status::kNoAnswer);
    // The window judges the reply in its zero-filled buffer.
    unsigned char buffer[kReplyBufferSize] = {};
    for (int i = 0; i < count; ++i) buffer[i] = bytes[i];
    CardIdResult card{};
    const CardIdVerdict verdict = ParseCardIdReply(buffer, sizeof buffer, &card);
    // Only the reader's refusal is a refusal; a reply cut short or noise is no answer to the query.
    if (ClassifyReply(bytes, count).kind == UnknownCommand) return StatusOnly(status::kRefused);
    if (verdict != CardIdComplete || !FitsItsField(buffer + kBarcodeOffset, kCipherIdOffset - kBarcodeOffset) ||
        !FitsItsField(buffer + kCipherIdOffset, kCardIdEndOffset - kCipherIdOffset))
        return StatusOnly(status::kGarbage);
    CardIdFields fields{};
    FormatCardIdFields(card, &fields);
    Json json;
    // A reader with no card at it answers with zeros.
    const bool present = card.barcode != 0 || card.cipherId != 0;
    json.BeginObject().Field("status", status::kOk).Field("present", present).Key("card").BeginObject()
        .Field("barcode", fields.barcodeDecimal)
        .Field("barcodeHex", fields.barcodeHex)
        .Field("cipher", fields.cipherDecimal)
        .Field("cipherDotted", fields.cipherDotted)
        .EndObject().EndObject();
    return json.str();
}
