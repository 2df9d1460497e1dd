// SPDX-License-Identifier: Apache-2.0
#pragma once
// Plain ASCII for characters a code page cannot hold, so text written to a file or pipe in a
// console's code page stays readable: "->" for an arrow, Latin letters for Cyrillic ones.

// The ASCII text standing for a character, or null when there is none (the caller writes '?').
const char* AsciiFallback(char32_t code);
