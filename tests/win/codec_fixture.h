// SPDX-License-Identifier: Apache-2.0
#pragma once
// The real main window for the codec tests, and a recorder of the message boxes the codecs
// show (each box is recorded and closed with OK as soon as it is active).
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "win/message_watch.h"

struct RecordedBox {
    std::string text;
    HICON icon;
    bool lampsInvalid;  // whether the lamp column awaited repainting when the box came up
    char modelLetter;   // the session's reader when the box came up
};

// Builds a fresh main window on the family's page, English texts. Then, so that a test sees
// what the codec changed and what it left, the radios of both pages: unchecked and enabled, except "Wiegand 58", "7", HEX and DEC,
// which start disabled; version label "x.xx"; lamp colours set to a marker; lamp column
// painted; the recorded boxes cleared.
void ResetCodecWindow(int family);

// Runs action with every message box recorded and closed.
std::vector<RecordedBox> RecordBoxes(void (*action)(const char*), const char* payload);

bool IsChecked(int id);
bool IsEnabled(int id);
void SetChecked(int id, bool checked);
void SetEnabled(int id, bool enabled);
std::string ControlText(int id);
// Whether the lamp column of the main window is waiting to be repainted.
bool LampColumnInvalid();
// Paints the main window now, so that nothing is left invalid.
void PaintNow();

// A payload as it lies in the 64-byte reply buffer: the text given, then zero bytes.
struct ReplyBuffer {
    char bytes[64];
};
ReplyBuffer PayloadBuffer(const char* text);

// DecodeSettings of a payload with every box recorded.
std::vector<RecordedBox> Decode(const char* payload);
std::vector<std::string> Texts(const std::vector<RecordedBox>& boxes);
// Of the group's radios only checkedId (none for 0) is checked.
void CheckOnly(std::initializer_list<int> group, int checkedId);
void CheckErrorIcons(const std::vector<RecordedBox>& boxes);

constexpr unsigned kMarkerColor = 0x00123456;

