// SPDX-License-Identifier: Apache-2.0
#pragma once
// Code page 1251 (the window's Russian texts) to UTF-8, for terminals, files and JSON that
// expect Unicode. Bytes below 0x80 pass unchanged.
#include <string>

std::string Cp1251ToUtf8(const char* text);
