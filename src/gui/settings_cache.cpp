// SPDX-License-Identifier: Apache-2.0
#include "gui/settings_cache.h"

#include "core/commands.h"
#include "gui/session.h"

void CachePayload(const unsigned char* bytes, int length, int count, char* cachedSettings) {
    // Never more than the field can hold with its terminator.
    if (count > kCachedSettingsSize - 1) count = kCachedSettingsSize - 1;
    int i = 0;
    for (; i < count; ++i) {
        const unsigned char c = (bytes != nullptr && i < length) ? bytes[i] : 0;
        if (c == 0) break;
        cachedSettings[i] = static_cast<char>(c);
    }
    for (; i < kCachedSettingsSize; ++i) cachedSettings[i] = 0;
}

void CacheCommandSettings(const char* command, int commandLength, char* cachedSettings) {
    for (int i = kCommandPrefixLength; i < commandLength; ++i) {
        int target = i - kCommandPrefixLength + kFirmwareLabelLength;
        if (target >= kCachedSettingsSize - 1) break;
        cachedSettings[target] = command[i];
    }
}
