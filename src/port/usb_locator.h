// SPDX-License-Identifier: Apache-2.0
#pragma once
// Finding the USB reader's virtual COM port by its USB identity.

// Looks through the present USB devices for the reader's hardware id (either identity form) and
// writes the COM port name of the last matching device into portName, which holds
// kPortNameSize bytes (the session's portName). A port name that would not fit is never
// truncated: that device is passed over. Returns false, portName untouched, when nothing matched.
bool LocateUsbReader(char* portName, const char* vendor, const char* product, const char* revision,
                     const char* vendorAlt, const char* productAlt, const char* revisionAlt);

// The reader's identity parts, as every caller passes them.
bool LocateUsbReader(char* portName);
