#include "protocol/codec.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
void DecodeSettings(const char*) {}
void EncodeSettings(char*, int* length) { *length = 0; }
