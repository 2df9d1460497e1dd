#pragma once
// The reader's command set: plain ASCII, no terminator.

constexpr const char kQueryKruKrm[] = "AT+READS_KRX";
constexpr const char kQueryUsb[] = "AT+READS_USB";
constexpr const char kQueryCardId[] = "AT+READS_IDS";
constexpr int kQueryLength = 12;
constexpr int kKruKrmWriteLength = 9;
constexpr int kUsbWriteLength = 10;
constexpr int kReplyBufferSize = 64;
