#pragma once
// The COM ports the system lists under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: one REG_SZ value
// per port, in the registry's enumeration order.
#include <cstdint>
#include <string>
#include <vector>

// The text of every REG_SZ value, whatever its length, and the number of values of any type.
// False when the key cannot be opened.
bool ReadSerialCommPorts(std::vector<std::u16string>* ports, unsigned* valueCount);

// True when a value's text, narrowed by low byte, equals name exactly: the whole registry text
// is compared, however long, with no narrowing buffer to overflow.
bool SerialCommPortPresent(const char* name);
