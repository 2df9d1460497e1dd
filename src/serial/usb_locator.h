#pragma once
// Finding the USB reader's virtual COM port by its USB identity.

bool LocateUsbReader(char* portName, const char* vendor, const char* product, const char* revision,
                     const char* vendorAlt, const char* productAlt, const char* revisionAlt);

// The reader's identity parts, as every caller passes them.
bool LocateUsbReader(char* portName);
