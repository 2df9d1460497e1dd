#include "web/reader_face.h"

#include <cstring>

#include "core/card_id.h"
#include "core/commands.h"
#include "core/family.h"
#include "core/reader_model.h"
#include "core/reply.h"
#include "core/settings.h"
#include "core/ui_text.h"
#include "web/json.h"
#include "web/page_texts.h"

namespace {

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

}  // namespace

ReplyFit FitReplyTo(const unsigned char* command, int commandLength, const unsigned char* bytes, int count) {
    return FitReply(reinterpret_cast<const char*>(command), commandLength, bytes, Capped(count));
}

// What the bytes received after a command say, before what they carry is read: silence, a
// refusal, noise or a reply cut short (a status), or the whole reply (null).
const char* VerdictOf(const char* command, const unsigned char* bytes, int count) {
    if (Capped(count) == 0) return status::kNoAnswer;
    switch (FitReplyTo(reinterpret_cast<const unsigned char*>(command), static_cast<int>(std::strlen(command)), bytes,
                       count)) {
        case ReplyFit::Whole: return nullptr;
        case ReplyFit::Refusal: return status::kRefused;
        default: return status::kGarbage;
    }
}

std::string JudgeSettingsJson(int family, const unsigned char* bytes, int count) {
    if (family != kKruKrm && family != kUsb) return StatusOnly(status::kGarbage);
    count = Capped(count);
    if (const char* verdict = VerdictOf(SettingsQueryOf(family), bytes, count)) return StatusOnly(verdict);
    const ReplyInfo info = ClassifyReply(bytes, count);
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
        .Field("found", WindowTextName(FoundText(family, info.modelLetter)))
        .EndObject();
    return json.str();
}

std::string JudgeWriteJson(const unsigned char* command, int commandLength, const unsigned char* bytes, int count) {
    if (Capped(count) == 0) return StatusOnly(status::kNoAnswer);
    switch (FitReplyTo(command, commandLength, bytes, count)) {
        case ReplyFit::Whole: return StatusOnly(status::kOk);
        case ReplyFit::Refusal: return StatusOnly(status::kRefused);
        default: return StatusOnly(status::kGarbage);
    }
}

std::string CardAllowedJson(int firmwareVersion) {
    return StatusOnly(CardQuerySupported(firmwareVersion) ? status::kOk : status::kUnsupported);
}

std::string JudgeCardJson(const unsigned char* bytes, int count) {
    count = Capped(count);
    if (const char* verdict = VerdictOf(kQueryCardId, bytes, count)) return StatusOnly(verdict);
    // A number too large for its field would be shown as another card: no answer to read.
    CardIdResult card{};
    if (ReadCardIdNumbers(bytes, static_cast<std::size_t>(count), &card) != CardIdField::None) {
        return StatusOnly(status::kGarbage);
    }
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
