#pragma once
// Reply framing and classification.

enum ReplyKind : int { Unrecognized = 0, UnknownCommand = 1, WriteAck = 2, SettingsReply = 3 };

// Classifies count received bytes of the 64-byte buffer. On SettingsReply moves the payload
// to the buffer start and sets g_session.modelLetter and g_session.firmwareVersion.
ReplyKind ClassifyReply(unsigned char* buffer, int count);

// True when the payload's first four characters are a supported label of the current family.
bool CheckFirmwareVersion(const char* payload);

// Windows side: reads and judges the reply after a query or write (reply_win.cpp).
ReplyKind ReadReply();
