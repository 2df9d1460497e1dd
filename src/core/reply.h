#pragma once
// Reply framing and classification. A reply is LF CR, the echo of the command, the verdict
// " - OK!" or " - UNKNOWN CMD!", and for a settings query " >> " and the payload.

enum ReplyKind : int { Unrecognized = 0, UnknownCommand = 1, WriteAck = 2, SettingsReply = 3 };

struct ReplyInfo {
    ReplyKind kind;
    // SettingsReply only (otherwise 'X', 0, 0 and 0):
    char modelLetter;     // the byte at offset 13 ('U', 'M', 'X', 'B'), 0 beyond the bytes received
    int firmwareVersion;  // the label without its point, as the bytes lie once the payload is moved
    int payloadStart;     // offset of the byte after " >> "
    int payloadLength;    // bytes received from payloadStart on (0 when the marker ends the reply)
};

// Classifies count received bytes of a reply (at most kReplyBufferSize are looked at). The
// first " - " followed by a complete "OK!" or "UNKNOWN CMD!" decides. Changes nothing.
ReplyInfo ClassifyReply(const unsigned char* buffer, int count);

// The window's layout of a settings reply: the payload moved, in place, to the buffer start;
// the bytes behind it keep what they held. Does nothing unless info is a SettingsReply with a
// payload.
void MovePayloadToStart(unsigned char* buffer, int count, const ReplyInfo& info);

// What a tool that reads until the reply is complete waits for after each command.
enum class AwaitedReply : int {
    Settings,  // a settings reply with the whole payload of its family, or a refusal
    WriteAck,  // " - OK!" or a refusal
    CardId,    // the 40-byte ID reply (its '.' at offset 39), or a refusal
};
// True when the count bytes received can be judged: the awaited reply is whole, or the reader
// has refused. Garbage never completes; the caller's deadline ends the wait.
bool ReplyComplete(AwaitedReply awaited, int family, const unsigned char* buffer, int count);
