#pragma once
// What both settings codecs share (portable): where the setting characters stand in a
// payload and in a write command, the bounded copy into cachedSettings, and the three
// outcomes of an availability rule.

#include <cstddef>

#include "protocol/commands.h"

// A setting character at payload offset n stands at command offset n - kCommandShift.
constexpr int kCommandShift = kFirmwareLabelLength - kCommandPrefixLength;

// The radio id a parser returns for a field whose characters name no choice.
constexpr int kNotRecognized = 0;

// What a decode does to a radio whose use depends on the reader's model and firmware.
enum RadioAvailability : int { AvailabilityKeep, AvailabilityEnable, AvailabilityDisable };

// Reads the check state of one radio (BM_GETCHECK on the Windows side).
using RadioCheckedFn = bool (*)(int radioId);

// The first entry of a code table (entries with a radio) whose radio is checked, or fallback
// when none is: a write takes each group's first checked radio.
template <typename Entry, std::size_t N>
const Entry* FirstChecked(const Entry (&table)[N], RadioCheckedFn isChecked, const Entry* fallback) {
    for (const Entry& entry : table)
        if (isChecked(entry.radio)) return &entry;
    return fallback;
}

// The payload byte at offset, or 0 when offset lies outside the length bytes given.
unsigned char PayloadByte(const unsigned char* bytes, int length, int offset);

// Replaces the whole cachedSettings (kCachedSettingsSize bytes): the first count payload bytes
// are copied up to the first zero byte, every other position becomes zero.
void CachePayload(const unsigned char* bytes, int length, int count, char* cachedSettings);

// Copies the setting characters of a write command (after "AT+") into cachedSettings behind
// the firmware label, which stays as it was.
void CacheCommandSettings(const char* command, int commandLength, char* cachedSettings);
