// SPDX-License-Identifier: Apache-2.0
#include "gui/session.h"

#include <cstring>

SessionState g_session = {false, nullptr, "", 0, false, false, 'X', 0, false, "", false, 0, nullptr};

ReplyKind ClassifyIntoSession(unsigned char* buffer, int count) {
    const ReplyInfo info = ClassifyReply(buffer, count);
    if (info.kind == SettingsReply) {
        g_session.modelLetter = info.modelLetter;
        g_session.firmwareVersion = info.firmwareVersion;
        MovePayloadToStart(buffer, count, info);
    }
    return info.kind;
}

void InitSessionState() {
    std::memset(&g_session, 0, sizeof g_session);
    g_session.modelLetter = 'X';
}
