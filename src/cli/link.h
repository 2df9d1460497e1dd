#pragma once
// Talking to one reader on one port: each command is written once and its reply read until the
// reply framing says it is complete or the deadline passes; no fixed waits.
#include <atomic>
#include <string>

#include "cli/reader.h"
#include "core/card_id.h"
#include "port/serial_port.h"

struct Link {
    SerialPort port{kNoPort};
    std::string name;
    int timeoutMs = 0;
    const std::atomic<bool>* stop = nullptr;  // Ctrl-C: reads end early, nothing new is sent
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

// Writes the setting characters of a family and waits for the acknowledgement.
Status WriteSettings(Link* link, int family, const std::string& chars);

// The card query: barcode number and cipher ID. NoAnswer when nothing came back.
Status QueryCard(Link* link, int family, CardIdResult* card);
