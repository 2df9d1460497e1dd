#pragma once
// The family dispatch of the settings codecs (Windows side: they work on the radios).

// Hands a settings payload to the codec of g_readerFamily.
void DecodeSettings(const char* payload);
// Builds the write command of g_readerFamily from the checked radios; sets length.
void EncodeSettings(char* command, int* length);
