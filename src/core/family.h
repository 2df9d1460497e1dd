// SPDX-License-Identifier: Apache-2.0
#pragma once
// The two reader families (one tab of the window each) and the two interface languages.

enum ReaderFamily : int { kKruKrm = 0, kUsb = 1 };
enum UiLanguage : int { kRussian = 0, kEnglish = 1 };
