// SPDX-License-Identifier: Apache-2.0
#pragma once
// One serial port of the platform, as a small value: the window holds one, the command-line
// tool one per reader. Errors come back as values; nothing here talks to the user.
#include <cstdint>

#include "core/line.h"

enum class PortFailure : int {
    None,
    NotFound,   // no such port (or the name is too long to name one)
    NotSerial,  // the path is no serial terminal (a plain file, /dev/watchdog): never opened
    Busy,       // held by another program
    Denied,     // no permission
    Open,       // any other failure to open
    Configure,  // the port refused its line settings or time-outs (it is closed again)
    Read,
    Write,
};

struct PortError {
    PortFailure what;
    unsigned long code;  // the system's error number (GetLastError or errno), 0 when none
    // Linux: processes whose open descriptors could not be read when looking for holders of
    // the port (not root); set whatever the outcome.
    unsigned unseenProcesses = 0;
};

struct SerialPort {
    std::intptr_t handle;  // kNoPort when closed; opaque (POSIX: what closing gives back)
};
constexpr std::intptr_t kNoPort = -1;

// Opens and configures the port for the reader's line (19200 baud, 8 data bits, no parity, one
// stop bit). Windows: "\\.\" + name ("COM3"), with the window's exact calls and time-outs.
// POSIX: a device path ("/dev/ttyUSB0") that must name a serial terminal before it is opened;
// raw mode, held exclusively (a second opener is Busy), with a UUCP lock file for the time it is
// open. A console (/dev/console, /dev/tty0-63, the kernel's console port) is NotSerial and
// never opened. A port another program uses (its UUCP lock file, TIOCEXCL, an open descriptor
// of another process) is Busy and left untouched: nothing flushed, sent or unlocked.
bool OpenSerialPort(SerialPort* port, const char* name, unsigned baudRate, PortError* error);

// The window's read: one byte per read until a read returns nothing (60 ms of silence) or
// capacity is reached. False with error None when nothing came at all.
bool ReadUntilSilence(SerialPort* port, unsigned char* buffer, unsigned capacity, int* count,
                      PortError* error);

// Waits up to timeoutMs for bytes and reads what has arrived (at most capacity). *count is 0
// when the time ran out. False only on a read error.
bool ReadAvailable(SerialPort* port, unsigned char* buffer, unsigned capacity, int timeoutMs, int* count,
                   PortError* error);

// One write of the whole command; a short write is false with error None.
bool WriteSerialBytes(SerialPort* port, const void* bytes, int length, PortError* error);

// Idempotent. POSIX: gives the port back as it was found: its line settings restored, the
// exclusive hold released only where this program set it, and its lock file removed.
void CloseSerialPort(SerialPort* port);
