#pragma once
// The one place that knows both the named settings and the main window's radios: which radio
// shows each choice, and the settings the checked radios stand for.
#include "core/settings.h"

// A value that names no choice has no radio.
constexpr int kNoRadio = 0;

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
