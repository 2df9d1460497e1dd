#include "serial/channel.h"
#include "serial/portlist.h"
#include "serial/usb_locator.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
bool OpenChannel(const char*, unsigned) { return false; }
bool ReadBytes(unsigned char*, unsigned, int* count) { *count = 0; return false; }
bool WriteBytes(const void*, int) { return false; }
void CloseChannel() {}
bool FillPortList(HWND) { return false; }
void SortPortList(HWND) {}
void RefreshPortList() {}
void SelectPortByName(HWND, const char*, int*) {}
bool PortPresent(const char*) { return false; }
bool LocateUsbReader(char*, const char*, const char*, const char*, const char*, const char*, const char*) { return false; }
bool LocateUsbReader(char* portName) { return LocateUsbReader(portName, "2E3C", "5750", "0200", "2e3c", "5750", "0200"); }
