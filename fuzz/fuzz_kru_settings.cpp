// SPDX-License-Identifier: Apache-2.0
// The KRU/KRM settings string: any payload bytes (of any length) are read within their
// length; every field the parser recognises names a radio of its own group, and a write
// command built from those radios carries the very characters of each recognised field.
// Every command the encoder makes is 9 valid characters that parse back to the same radios.
#include <memory>

#include "fuzz_check.h"
#include "core/settings.h"
#include "radios.h"
#include "gui/session.h"

namespace {

constexpr int kInterfaceGroup[] = {IdTouchMemory, IdWiegand26, IdWiegand44, IdWiegand58};
constexpr int kIndicationGroup[] = {IdDirect, IdInverse};
constexpr int kStandbyGroup[] = {IdDynamic, IdStatic, IdStandbyOff};
constexpr int kTouchPollGroup[] = {IdPollOn, IdPollOff};

template <int N>
bool InGroup(const int (&group)[N], int radio) {
    for (int id : group)
        if (id == radio) return true;
    return radio == kNotRecognized;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input{data, size, 0};
    unsigned char previous[4];
    for (unsigned char& p : previous) p = input.Byte();
    const int cutLength = input.Byte() % 16;
    const std::string rest = input.Rest();
    const int length = std::min<int>(cutLength, static_cast<int>(rest.size()));

    // Exactly length bytes on the heap: a read past them is caught.
    std::unique_ptr<unsigned char[]> payload(new unsigned char[length == 0 ? 1 : length]);
    for (int i = 0; i < length; ++i) payload[i] = static_cast<unsigned char>(rest[i]);
    const KruKrmFields fields = ParseKruKrmSettings(payload.get(), length);
    FUZZ_CHECK(InGroup(kInterfaceGroup, fields.interfaceRadio));
    FUZZ_CHECK(InGroup(kIndicationGroup, fields.indicationRadio));
    FUZZ_CHECK(InGroup(kStandbyGroup, fields.standbyRadio));
    FUZZ_CHECK(InGroup(kTouchPollGroup, fields.touchPollRadio));
    // A field cut off by the length is never recognised from bytes that were not given.
    auto given = [&](int offset) { return offset < length; };
    if (!given(6)) FUZZ_CHECK(fields.interfaceRadio == kNotRecognized);
    if (!given(7)) FUZZ_CHECK(fields.indicationRadio == kNotRecognized);
    if (!given(8)) FUZZ_CHECK(fields.standbyRadio == kNotRecognized);
    if (!given(9)) FUZZ_CHECK(fields.touchPollRadio == kNotRecognized);

    ClearRadios();
    CheckInGroup(kInterfaceGroup, 4, fields.interfaceRadio, previous[0]);
    CheckInGroup(kIndicationGroup, 2, fields.indicationRadio, previous[1]);
    CheckInGroup(kStandbyGroup, 3, fields.standbyRadio, previous[2]);
    CheckInGroup(kTouchPollGroup, 2, fields.touchPollRadio, previous[3]);

    std::unique_ptr<char[]> command(new char[kKruKrmWriteLength]);
    FUZZ_CHECK(BuildKruKrmCommand(IsRadioChecked, command.get()) == kKruKrmWriteLength);
    FUZZ_CHECK(command[0] == 'A' && command[1] == 'T' && command[2] == '+');
    // Command offset n carries payload offset n + 1.
    if (fields.interfaceRadio != kNotRecognized)
        for (int i = 4; i <= 6; ++i) FUZZ_CHECK(command[i - 1] == static_cast<char>(payload[i]));
    if (fields.indicationRadio != kNotRecognized) FUZZ_CHECK(command[6] == static_cast<char>(payload[7]));
    if (fields.standbyRadio != kNotRecognized) FUZZ_CHECK(command[7] == static_cast<char>(payload[8]));
    if (fields.touchPollRadio != kNotRecognized) FUZZ_CHECK(command[8] == static_cast<char>(payload[9]));

    // The command's characters behind a firmware label make a payload that parses whole, to
    // the radios the command was built from.
    unsigned char again[kKruKrmPayloadLength] = {'1', '.', '1', '0'};
    for (int i = 3; i < kKruKrmWriteLength; ++i) again[i + 1] = static_cast<unsigned char>(command[i]);
    const KruKrmFields back = ParseKruKrmSettings(again, kKruKrmPayloadLength);
    FUZZ_CHECK(back.interfaceRadio != kNotRecognized && back.indicationRadio != kNotRecognized &&
               back.standbyRadio != kNotRecognized && back.touchPollRadio != kNotRecognized);
    // A group with nothing checked gets the page default (interface) or its last choice.
    FUZZ_CHECK(back.interfaceRadio == CheckedOr(kInterfaceGroup, IdTouchMemory));
    FUZZ_CHECK(back.indicationRadio == CheckedOr(kIndicationGroup, IdInverse));
    FUZZ_CHECK(back.standbyRadio == CheckedOr(kStandbyGroup, IdStandbyOff));
    FUZZ_CHECK(back.touchPollRadio == CheckedOr(kTouchPollGroup, IdPollOff));

    // The cached copies stay within their 12 bytes whatever they are given.
    std::unique_ptr<char[]> cached(new char[kCachedSettingsSize]);
    CachePayload(payload.get(), length, kKruKrmPayloadLength, cached.get());
    FUZZ_CHECK(cached[kCachedSettingsSize - 1] == '\0');
    for (int i = 0; i < kKruKrmPayloadLength && i < length && payload[i] != 0; ++i)
        FUZZ_CHECK(cached[i] == static_cast<char>(payload[i]));
    CacheCommandSettings(command.get(), kKruKrmWriteLength, cached.get());
    for (int i = 3; i < kKruKrmWriteLength; ++i) FUZZ_CHECK(cached[i + 1] == command[i]);
    return 0;
}
