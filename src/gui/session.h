// SPDX-License-Identifier: Apache-2.0
#pragma once
// The reader session: one process-wide record, used on the GUI thread only.

#include "core/port_names.h"
#include "core/reply.h"

constexpr int kCachedSettingsSize = 12; // 11 characters of payload layout + terminator

struct SessionState {
    bool portOpen;
    void* portHandle;                      // the OS handle; null or INVALID_HANDLE_VALUE when none
    char portName[kPortNameSize];
    int portIndex;
    bool replyExpected;
    bool quietProbe;
    char modelLetter;                      // 'X' none, 'U' KRU, 'M' KRM, 'B' USB
    int firmwareVersion;                   // times 100
    bool firmwareSupported;
    char cachedSettings[kCachedSettingsSize];
    bool deviceChangePending;
    int tickCount;
    void* progressWindow;                  // HWND of the progress popup, null when none
};

extern SessionState g_session;

// Puts every field back to its start value (no I/O, no window calls).
void InitSessionState();

// Classifies count received bytes of the reply buffer as the window takes a reply: a settings
// reply gives the session its model letter and firmware number, and its payload moves to the
// buffer start for the codec.
ReplyKind ClassifyIntoSession(unsigned char* buffer, int count);
