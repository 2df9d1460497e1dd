// SPDX-License-Identifier: Apache-2.0
#pragma once
// Switching the interface language while the program runs.

void RelabelControls();
void SwitchLanguage(int language);
