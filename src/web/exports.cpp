// SPDX-License-Identifier: Apache-2.0
#include "web/exports.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <string>

#include "core/commands.h"
#include "core/engine.h"
#include "core/family.h"
#include "core/line.h"
#include "core/messages.h"
#include "core/reply.h"
#include "core/settings.h"
#include "core/status.h"
#include "core/usb_identity.h"
#include "web/json.h"
#include "web/page_texts.h"
#include "web/profile_face.h"
#include "web/reader_face.h"
#include "web/settings_face.h"

namespace {

// The page frees every result with vw_free.
char* Result(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

int Language(int language) { return language == kRussian ? kRussian : kEnglish; }

std::string Text(const unsigned char* bytes, int length) {
    return bytes == nullptr || length <= 0 ? std::string() : std::string(reinterpret_cast<const char*>(bytes), length);
}

PageReader Reader(int family, int model, int firmwareVersion, const unsigned char* payload, int length) {
    return PageReader{family == kUsb ? kUsb : kKruKrm, static_cast<char>(model), firmwareVersion, Text(payload, length)};
}

}  // namespace

extern "C" {

void vw_free(char* result) { std::free(result); }

char* vw_texts(int language) { return Result(TextsJson(Language(language))); }

char* vw_constants() {
    Json json;
    json.BeginObject()
        .Field("baudRate", static_cast<int>(kReaderBaudRate))
        .Field("dataBits", kReaderDataBits)
        .Field("stopBits", kReaderStopBits)
        .Field("parity", kReaderParity ? "even" : "none")
        .Field("deadlineMs", kReplyDeadlineMs)
        .Field("silenceMs", kReplySilenceMs)
        .Field("commandTries", kCommandTries)
        .Field("watchIntervalMs", kWatchIntervalMs)
        .Field("usbVendorId", static_cast<int>(std::strtol(kUsbReaderVendor, nullptr, 16)))
        .Field("usbProductId", static_cast<int>(std::strtol(kUsbReaderProduct, nullptr, 16)))
        .Field("kruKrm", static_cast<int>(kKruKrm))
        .Field("usb", static_cast<int>(kUsb))
        .Field("russian", static_cast<int>(kRussian))
        .Field("english", static_cast<int>(kEnglish))
        .Key("fit").BeginObject()
        .Field("partial", static_cast<int>(ReplyFit::Partial))
        .Field("whole", static_cast<int>(ReplyFit::Whole))
        .Field("refusal", static_cast<int>(ReplyFit::Refusal))
        .Field("foreign", static_cast<int>(ReplyFit::Foreign))
        .EndObject()
        .EndObject();
    return Result(json.str());
}

char* vw_query(int family) {
    const char* command = family == kUsb || family == kKruKrm ? SettingsQueryOf(family) : kQueryCardId;
    Json json;
    json.BeginObject().BytesField("command", std::string(command, kQueryLength)).EndObject();
    return Result(json.str());
}

int vw_fit_reply(const unsigned char* command, int commandLength, const unsigned char* bytes, int count) {
    return static_cast<int>(FitReplyTo(command, commandLength, bytes, count));
}

struct VwEngine {
    ReaderEngine engine;
};

namespace {

VwEngine* Engine(ReaderEngine engine) { return new VwEngine{std::move(engine)}; }
EngineTime Time(double now) { return static_cast<EngineTime>(now); }

}  // namespace

VwEngine* vw_engine_identify(int usbFirst, int timeoutMs) {
    return Engine(ReaderEngine::Identify(usbFirst != 0, timeoutMs));
}

VwEngine* vw_engine_read(int family, int timeoutMs) { return Engine(ReaderEngine::ReadSettings(family, timeoutMs)); }

VwEngine* vw_engine_write(int family, const unsigned char* chars, int length, int timeoutMs) {
    return Engine(ReaderEngine::WriteAndVerify(family, Text(chars, length), timeoutMs));
}

VwEngine* vw_engine_card(int firmwareVersion, int timeoutMs) {
    return Engine(ReaderEngine::ReadCard(firmwareVersion, timeoutMs));
}

VwEngine* vw_engine_watch(int firmwareVersion, int timeoutMs, int holding, unsigned barcode, unsigned cipher,
                          int reported) {
    CardWatch watch;
    watch.holding = holding != 0;
    watch.last.barcode = barcode;
    watch.last.cipherId = cipher;
    watch.reported = reported >= 0 && reported < static_cast<int>(Status::Count) ? static_cast<Status>(reported)
                                                                                 : Status::Ok;
    return Engine(ReaderEngine::WatchStep(firmwareVersion, timeoutMs, watch));
}

char* vw_engine_next(VwEngine* engine, double now) {
    if (engine == nullptr) return nullptr;
    return Result(EngineActionJson(&engine->engine, Time(now)));
}

void vw_engine_heard(VwEngine* engine, const unsigned char* bytes, int count, double now) {
    if (engine == nullptr) return;
    if (bytes == nullptr || count <= 0) {
        engine->engine.Silence(Time(now));
    } else {
        engine->engine.Heard(bytes, count, Time(now));
    }
}

void vw_engine_sent(VwEngine* engine, int result, double now) {
    if (engine == nullptr) return;
    engine->engine.Sent(result == 0 ? SendResult::Whole : result == 1 ? SendResult::Partial : SendResult::Failed,
                        Time(now));
}

void vw_engine_line_heard(VwEngine* engine, double lastByte) {
    if (engine != nullptr) engine->engine.LineHeardAt(Time(lastByte));
}

void vw_engine_failed(VwEngine* engine, double now) {
    if (engine != nullptr) engine->engine.PortFailed(Time(now));
}

void vw_engine_end(VwEngine* engine) { delete engine; }

char* vw_format(const unsigned char* text, int textLength, const unsigned char* first, int firstLength,
                const unsigned char* second, int secondLength) {
    Json json;
    json.BeginObject()
        .Field("text", Format(Text(text, textLength), Text(first, firstLength), Text(second, secondLength)))
        .EndObject();
    return Result(json.str());
}

char* vw_status_text(const unsigned char* word, int length, int language) {
    Status status = Status::PortError;
    StatusOfWord(Text(word, length), &status);
    Json json;
    json.BeginObject().Field("text", StatusText(Language(language), status)).EndObject();
    return Result(json.str());
}

char* vw_judge_settings(int family, const unsigned char* bytes, int count) {
    return Result(JudgeSettingsJson(family, bytes, count));
}

char* vw_judge_write(const unsigned char* command, int commandLength, const unsigned char* bytes, int count) {
    return Result(JudgeWriteJson(command, commandLength, bytes, count));
}

char* vw_card_allowed(int firmwareVersion) { return Result(CardAllowedJson(firmwareVersion)); }

char* vw_judge_card(const unsigned char* bytes, int count) { return Result(JudgeCardJson(bytes, count)); }

char* vw_view(int family, int model, int firmwareVersion, const unsigned char* payload, int payloadLength,
              const unsigned char* choices, int choicesLength, int language) {
    return Result(ViewJson(Reader(family, model, firmwareVersion, payload, payloadLength), Text(choices, choicesLength),
                           Language(language)));
}

char* vw_choose(int family, int model, int firmwareVersion, const unsigned char* payload, int payloadLength,
                const unsigned char* choices, int choicesLength, const unsigned char* pick, int pickLength) {
    const std::string picked = Text(pick, pickLength);
    const std::size_t equals = picked.find('=');
    return Result(ChooseJson(Reader(family, model, firmwareVersion, payload, payloadLength), Text(choices, choicesLength),
                             picked.substr(0, equals), equals == std::string::npos ? "" : picked.substr(equals + 1)));
}

char* vw_profile_text(int family, int model, int firmwareVersion, const unsigned char* payload, int payloadLength,
                      const unsigned char* label, int labelLength) {
    return Result(ProfileTextJson(Reader(family, model, firmwareVersion, payload, payloadLength), Text(label, labelLength)));
}

char* vw_profile_check(const unsigned char* text, int length, int language) {
    return Result(ProfileCheckJson(Text(text, length), Language(language)));
}

char* vw_target(int family, int model, int firmwareVersion, const unsigned char* payload, int payloadLength,
                const unsigned char* choices, int choicesLength, int language) {
    return Result(TargetJson(Reader(family, model, firmwareVersion, payload, payloadLength), Text(choices, choicesLength),
                             Language(language)));
}

char* vw_profile_target(const unsigned char* text, int length, int family, int model, int firmwareVersion,
                        const unsigned char* payload, int payloadLength, int language) {
    Profile profile;
    if (!ParsePageProfile(Text(text, length), &profile)) {
        Json json;
        json.BeginObject().Field("status", StatusWord(Status::Usage)).Field("detail", "").Field("chars", "").Field("command", "")
            .Key("changes").BeginArray().EndArray().EndObject();
        return Result(json.str());
    }
    return Result(ProfileTargetJson(Reader(family, model, firmwareVersion, payload, payloadLength), profile,
                                    Language(language)));
}
}
