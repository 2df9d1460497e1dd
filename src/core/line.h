// SPDX-License-Identifier: Apache-2.0
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

// The window's end of a reply: this long without a byte. A tool waits for as much quiet before
// a command, so that the tail of a late or flooding reply is not taken for the next reply.
constexpr int kReplySilenceMs = 60;

// A command whose reply was foreign (noise, the tail of the reader's earlier reply that came in
// after the wait for quiet) goes out again, this many times in all: every command is idempotent
// (a query, or a write of the same settings). Noise on every try is noise.
constexpr int kCommandTries = 3;
