// SPDX-License-Identifier: Apache-2.0
#pragma once
// The settings codecs on the Windows side: they check radios, set lamp colours, report bad
// fields and keep the payload in g_session.cachedSettings. The payload is the start of the
// 64-byte reply buffer, so its first 11 bytes can always be read.

// Hands a settings payload to the codec of g_readerFamily.
void DecodeSettings(const char* payload);
// Builds the write command of g_readerFamily from the checked radios; sets length. The buffer
// holds at least 10 bytes; exactly the command bytes are written (no terminator).
void EncodeSettings(char* command, int* length);

void DecodeKruKrmSettings(const char* payload);
void EncodeKruKrmSettings(char* command, int* length);  // length 9
void DecodeUsbSettings(const char* payload);
void EncodeUsbSettings(char* command, int* length);     // length 10
