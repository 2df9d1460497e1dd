// SPDX-License-Identifier: Apache-2.0
#pragma once
// The window's radios and the settings they stand for, after the setting table: which radio
// shows each choice, and the settings the checked radios stand for.
#include "core/radio_ids.h"
#include "core/settings.h"

int RadioFor(Interface value);
int RadioFor(Indication value);
int RadioFor(Standby value);
int RadioFor(TouchPoll value);
int RadioFor(UsbMode value);
int RadioFor(OutputFormat value);
int RadioFor(OutputType value);
int RadioFor(ByteCount value);
int RadioFor(CardsToRead value);

// Reads the check state of one radio (BM_GETCHECK on the window).
using RadioCheckedFn = bool (*)(int radioId);

// Each group's first checked radio in page order; a group with none checked is NotRecognized
// (which the encoders write as the page defaults).
KruKrmSettings KruKrmFromRadios(RadioCheckedFn isChecked);
UsbSettings UsbFromRadios(RadioCheckedFn isChecked);
