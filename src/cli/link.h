#pragma once
// Talking to one reader on one port: each command is written once and its reply read until the
// reply framing says it is complete or the deadline passes; no fixed waits. Only the reply to
// the command sent is taken: what the port still holds from before is drained first, a command
// whose reply was foreign goes out again once the line is silent, and bytes that are no reply to
// the command are noise (Garbage), never a reader.
#include <atomic>
#include <chrono>
#include <string>

#include "cli/reader.h"
#include "core/card_id.h"
#include "port/serial_port.h"

struct Link {
    SerialPort port{kNoPort};
    std::string name;
    int timeoutMs = 0;
    const std::atomic<bool>* stop = nullptr;  // Ctrl-C: reads end early, nothing new is sent
    std::chrono::steady_clock::time_point lastByte{};  // when the last byte came in
    PortError openError{};  // what the port layer said when the port was opened
};

// Opens the port; a failure is PortNotFound, NotSerial, PortBusy, PortDenied or PortError.
Status OpenLink(Link* link, const std::string& name, int timeoutMs, const std::atomic<bool>* stop);
void CloseLink(Link* link);

// Finds which reader answers: the KRU/KRM query first (the USB query first when the port's USB
// identity names the USB reader), the other query only when the first got an answer that was
// not a settings reply, so a silent port costs one deadline.
Status IdentifyReader(Link* link, bool usbFirst, Reader* reader);

// One settings query to a known family.
Status QuerySettings(Link* link, int family, Reader* reader);

// Writes setting characters (6 for a KRU/KRM reader, 7 for the USB reader) and waits for the acknowledgement. *sent tells
// whether the command went out: after that, anything but Ok or Refused leaves the reader's
// settings unknown.
Status WriteSettings(Link* link, const std::string& chars, bool* sent);

// The card query: barcode number and cipher ID. NoAnswer when nothing came back;
// NotRecognized, with the field in *tooLarge, when a number does not fit in 32 bits.
Status QueryCard(Link* link, int family, CardIdResult* card, CardIdField* tooLarge = nullptr);
