// SPDX-License-Identifier: Apache-2.0
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

// How the bytes received after a command stand to that command, for a tool that reads until
// the reply is whole. A reply fits only from the first byte received on: LF CR, the echo of
// this command (a settings query's with a model letter of the query's family in its last
// place; the card query's is "AT+IDS"), then the verdict and, for a query, its payload. Bytes
// behind a whole reply are not looked at.
enum class ReplyFit : int {
    Partial,  // every byte so far fits this command's reply or its refusal; more are due
    Whole,    // the whole reply: a settings reply to this query with its family's payload, the
              // acknowledgement echoing this write, the ID reply with its '.' at offset 39
    Refusal,  // " - UNKNOWN CMD!" echoing this command
    Foreign,  // no reply to this command: noise, the tail of an earlier reply, another echo
};
ReplyFit FitReply(const char* command, int commandLength, const unsigned char* bytes, int count);
