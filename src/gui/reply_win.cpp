// SPDX-License-Identifier: Apache-2.0
#include "gui/reply.h"

#include <windows.h>

#include <cstring>

#include "gui/app.h"
#include "gui/message.h"
#include "gui/texts.h"
#include "gui/codec.h"
#include "core/commands.h"
#include "gui/channel.h"
#include "gui/session.h"
#include "gui/workflow.h"
#include "gui/controls.h"

namespace {

// The reader needs this long to answer after a query or a write command.
constexpr DWORD kReplyWaitMs = 500;

// The reader is gone or confused: say so and let the user pick another port.
void ReportNoResponse() {
    Report(UiText[TextNoResponse], IconRetry);
    EnableWindow(GetDlgItem(g_mainWindow, IdPortCombo), TRUE);
}

}  // namespace

ReplyKind ReadReply() {
    // One byte more than a reply can fill, always zero, so the payload handed to the codec
    // is a terminated string even when the reply filled the whole buffer.
    unsigned char reply[kReplyBufferSize + 1];
    std::memset(reply, 0, sizeof reply);
    Sleep(kReplyWaitMs);

    int count = 0;
    if (!ReadBytes(reply, kReplyBufferSize, &count)) {
        if (g_session.replyExpected) ReportNoResponse();
        ResetSession();
        return Unrecognized;
    }

    const ReplyKind kind = ClassifyIntoSession(reply, count);
    switch (kind) {
        case Unrecognized:
        case UnknownCommand:
            // A search probes quietly: a port that answers nonsense is simply passed over.
            if (g_session.quietProbe) return kind;
            Report(UiText[kind == Unrecognized ? TextBadReply : TextInvalidCommand], IconError);
            if (g_session.replyExpected) {
                ResetSession();
                ReportNoResponse();
            }
            break;
        case WriteAck:
            Report(UiText[TextSettingsWritten], IconSuccess);
            break;
        case SettingsReply:
            Report(UiText[TextSettingsRead], IconSuccess);
            DecodeSettings(reinterpret_cast<const char*>(reply));
            break;
    }
    return kind;
}
