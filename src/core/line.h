#pragma once
// The reader's serial line, for every program that opens a port to one: the window, vireo4
// and the browser page (which hands these to Web Serial).

constexpr unsigned kReaderBaudRate = 19200;
constexpr int kReaderDataBits = 8;
constexpr int kReaderStopBits = 1;
constexpr bool kReaderParity = false;  // no parity bit

// How long a tool that reads until the reply is complete waits for one: the window's own
// probe window (its 140 ms pause, 500 ms wait and 60 ms of silence).
constexpr int kReplyDeadlineMs = 700;
