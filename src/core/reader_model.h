// SPDX-License-Identifier: Apache-2.0
#pragma once
// The reader models by the letter a settings reply carries in place of the query's last
// character: 'U' KRU, 'M' KRM, 'B' the USB reader; 'X' (or anything else) names none.

enum class ReaderModel : int { None, Kru, Krm, Usb };

ReaderModel ModelOfLetter(char modelLetter);

// "KRU", "KRM", "USB"; null for None.
const char* ModelShortName(ReaderModel model);
// "Vireo-4KRU", "Vireo-4KRM", "Vireo-4-USB"; "Vireo-4xxx" for None.
const char* ModelFullName(ReaderModel model);
