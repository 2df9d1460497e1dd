#pragma once
// Judging each reply the page reads, as vireo4 judges it: a status word (the words vireo4's
// JSON uses) and what the reply carried.
#include <string>

#include "core/reply.h"

// The status words the page shares with vireo4.
namespace status {
constexpr const char kOk[] = "ok";
constexpr const char kNoAnswer[] = "no-answer";
constexpr const char kRefused[] = "refused";
constexpr const char kGarbage[] = "garbage";
constexpr const char kFirmwareUnsupported[] = "firmware-unsupported";
constexpr const char kUnsupported[] = "unsupported";
constexpr const char kNotAllowed[] = "not-allowed";
constexpr const char kNotRecognized[] = "not-recognized";
constexpr const char kUsage[] = "usage";
constexpr const char kSkipped[] = "skipped";
}  // namespace status

// FitReply over bytes as the page holds them, capped as the window's reply buffer caps them.
ReplyFit FitReplyTo(const unsigned char* command, int commandLength, const unsigned char* bytes, int count);

std::string JudgeSettingsJson(int family, const unsigned char* bytes, int count);
std::string JudgeWriteJson(const unsigned char* command, int commandLength, const unsigned char* bytes, int count);
std::string CardAllowedJson(int firmwareVersion);
std::string JudgeCardJson(const unsigned char* bytes, int count);
