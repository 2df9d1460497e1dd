// SPDX-License-Identifier: Apache-2.0
// The USB reader's settings string: any payload bytes (of any length) are read within their
// length; every field the parser recognises names a radio of its own group, and a write
// command built from those radios carries the very characters of each recognised field.
// Every command the encoder makes is 10 valid characters that parse back to the same radios.
#include <memory>

#include "fuzz_check.h"
#include "core/settings.h"
#include "radios.h"
#include "gui/session.h"

namespace {

constexpr int kModeGroup[] = {IdModeWindows, IdModeAll};
constexpr int kFormatGroup[] = {IdHexOrDec, IdFormatTouchMemory};
constexpr int kTypeGroup[] = {IdHex, IdDec};
constexpr int kByteCountGroup[] = {IdBytes7, IdBytes5, IdBytes4, IdBytes3, IdBytes2};
constexpr int kCardsGroup[] = {IdCardsAll, IdCardsEmHid, IdCardsMifare};

template <int N>
bool InGroup(const int (&group)[N], int radio) {
    for (int id : group)
        if (id == radio) return true;
    return radio == kNotRecognized;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input{data, size, 0};
    unsigned char previous[5];
    for (unsigned char& p : previous) p = input.Byte();
    const int cutLength = input.Byte() % 16;
    const std::string rest = input.Rest();
    const int length = std::min<int>(cutLength, static_cast<int>(rest.size()));

    std::unique_ptr<unsigned char[]> payload(new unsigned char[length == 0 ? 1 : length]);
    for (int i = 0; i < length; ++i) payload[i] = static_cast<unsigned char>(rest[i]);
    const UsbFields fields = ParseUsbSettings(payload.get(), length);
    FUZZ_CHECK(InGroup(kModeGroup, fields.modeRadio));
    FUZZ_CHECK(InGroup(kFormatGroup, fields.formatRadio));
    FUZZ_CHECK(InGroup(kTypeGroup, fields.typeRadio));
    FUZZ_CHECK(InGroup(kByteCountGroup, fields.byteCountRadio));
    FUZZ_CHECK(InGroup(kCardsGroup, fields.cardsRadio));
    // The output type means something only with "HEX or DEC".
    if (fields.formatRadio != IdHexOrDec) FUZZ_CHECK(fields.typeRadio == kNotRecognized);
    auto given = [&](int offset) { return offset < length; };
    if (!given(4)) FUZZ_CHECK(fields.modeRadio == kNotRecognized);
    if (!given(6)) FUZZ_CHECK(fields.formatRadio == kNotRecognized);
    if (!given(7)) FUZZ_CHECK(fields.typeRadio == kNotRecognized && fields.formatRadio != IdFormatTouchMemory);
    if (!given(8)) FUZZ_CHECK(fields.byteCountRadio == kNotRecognized);
    if (!given(10)) FUZZ_CHECK(fields.cardsRadio == kNotRecognized);

    ClearRadios();
    CheckInGroup(kModeGroup, 2, fields.modeRadio, previous[0]);
    CheckInGroup(kFormatGroup, 2, fields.formatRadio, previous[1]);
    CheckInGroup(kTypeGroup, 2, fields.typeRadio, previous[2]);
    CheckInGroup(kByteCountGroup, 5, fields.byteCountRadio, previous[3]);
    CheckInGroup(kCardsGroup, 3, fields.cardsRadio, previous[4]);

    std::unique_ptr<char[]> command(new char[kUsbWriteLength]);
    FUZZ_CHECK(BuildUsbCommand(IsRadioChecked, command.get()) == kUsbWriteLength);
    FUZZ_CHECK(command[0] == 'A' && command[1] == 'T' && command[2] == '+');
    auto same = [&](int payloadOffset) { return command[payloadOffset - 1] == static_cast<char>(payload[payloadOffset]); };
    if (fields.modeRadio != kNotRecognized) FUZZ_CHECK(same(4));
    if (fields.formatRadio != kNotRecognized) FUZZ_CHECK(same(5) && same(6));
    if (fields.formatRadio == IdFormatTouchMemory || fields.typeRadio != kNotRecognized) FUZZ_CHECK(same(7));
    if (fields.byteCountRadio != kNotRecognized) FUZZ_CHECK(same(8));
    if (fields.cardsRadio != kNotRecognized) FUZZ_CHECK(same(9) && same(10));

    unsigned char again[kUsbPayloadLength] = {'1', '.', '1', '0'};
    for (int i = 3; i < kUsbWriteLength; ++i) again[i + 1] = static_cast<unsigned char>(command[i]);
    const UsbFields back = ParseUsbSettings(again, kUsbPayloadLength);
    // A group with nothing checked gets the page default or its last choice.
    FUZZ_CHECK(back.modeRadio == CheckedOr(kModeGroup, IdModeAll));
    const bool hexOrDec = g_checked[IdHexOrDec];
    FUZZ_CHECK(back.formatRadio == (hexOrDec ? IdHexOrDec : IdFormatTouchMemory));
    FUZZ_CHECK(back.typeRadio == (hexOrDec ? (g_checked[IdHex] ? IdHex : IdDec) : kNotRecognized));
    FUZZ_CHECK(back.byteCountRadio == CheckedOr(kByteCountGroup, IdBytes2));
    FUZZ_CHECK(back.cardsRadio == CheckedOr(kCardsGroup, IdCardsAll));

    std::unique_ptr<char[]> cached(new char[kCachedSettingsSize]);
    CachePayload(payload.get(), length, kUsbPayloadLength, cached.get());
    FUZZ_CHECK(cached[kCachedSettingsSize - 1] == '\0');
    for (int i = 0; i < kUsbPayloadLength && i < length && payload[i] != 0; ++i)
        FUZZ_CHECK(cached[i] == static_cast<char>(payload[i]));
    CacheCommandSettings(command.get(), kUsbWriteLength, cached.get());
    for (int i = 3; i < kUsbWriteLength; ++i) FUZZ_CHECK(cached[i + 1] == command[i]);
    return 0;
}
