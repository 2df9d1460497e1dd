#pragma once
// A main window with the settings radios for the codec tests, and a recorder of the message
// boxes the codecs show (each box is recorded and closed with OK as soon as it is active).
#include <windows.h>

#include <string>
#include <vector>

struct RecordedBox {
    std::string text;
    HICON icon;
    bool lampsInvalid;  // whether the lamp column awaited repainting when the box came up
    char modelLetter;   // the session's reader when the box came up
};

// Creates the window and its controls once.
void EnsureCodecWindow();

// Makes the window g_mainWindow with English texts. Radios of both pages: unchecked and enabled, except "Wiegand 58", "7", HEX and DEC,
// which start disabled; version label "x.xx"; lamp colours set to a marker; lamp column
// painted; the recorded boxes cleared.
void ResetCodecWindow();

// Runs action with every message box recorded and closed.
std::vector<RecordedBox> RecordBoxes(void (*action)(const char*), const char* payload);

bool IsChecked(int id);
bool IsEnabled(int id);
void SetChecked(int id, bool checked);
void SetEnabled(int id, bool enabled);
std::string WindowText(int id);
// Whether the lamp column of the main window is waiting to be repainted.
bool LampColumnInvalid();
// Paints the main window now, so that nothing is left invalid.
void PaintNow();

// The icon a box shows for the program's icon resource id.
HICON ProgramIcon(unsigned id);

// A payload as it lies in the 64-byte reply buffer: the text given, then zero bytes.
struct ReplyBuffer {
    char bytes[64];
};
ReplyBuffer PayloadBuffer(const char* text);

constexpr unsigned kMarkerColor = 0x00123456;

// Checks that rest on pieces still being built elsewhere in the program (their placeholders do
// nothing yet): the lamp column repaint request, the session reset, the message icons.
// Each flag goes to false as soon as its piece is in.
constexpr bool kSkipLampRepaint = true;
constexpr bool kSkipSessionReset = false;
constexpr bool kSkipIcons = false;
