// SPDX-License-Identifier: Apache-2.0
#pragma once
// The window's copy of the reader's settings (g_session.cachedSettings, payload layout): kept
// from each accepted decode and from each write command as it is built.

// Replaces the whole cachedSettings (kCachedSettingsSize bytes): the first count payload bytes
// are copied up to the first zero byte, every other position becomes zero. Bytes past length
// count as zero.
void CachePayload(const unsigned char* bytes, int length, int count, char* cachedSettings);

// Copies the setting characters of a write command (after "AT+") into cachedSettings behind
// the firmware label, which stays as it was.
void CacheCommandSettings(const char* command, int commandLength, char* cachedSettings);
