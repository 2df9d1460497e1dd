#include "protocol/settings_string.h"

#include "session/session.h"

unsigned char PayloadByte(const unsigned char* bytes, int length, int offset) {
    if (bytes == nullptr || offset < 0 || offset >= length) return 0;
    return bytes[offset];
}

void CachePayload(const unsigned char* bytes, int length, int count, char* cachedSettings) {
    // Never more than the field can hold with its terminator.
    if (count > kCachedSettingsSize - 1) count = kCachedSettingsSize - 1;
    int i = 0;
    for (; i < count; ++i) {
        unsigned char c = PayloadByte(bytes, length, i);
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
