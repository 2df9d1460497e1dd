// SPDX-License-Identifier: Apache-2.0
#pragma once
// Reading a card's two identifiers from the reader on the open port, and the window that
// shows them.
#include "core/card_id.h"

// The last card read; 0 and 0 until then and at the start of every read.
extern CardIdResult g_cardId;

void ReadCardId();
// Command 19 of the main window: search, refuse old firmware, or read.
void OnReadIdCommand();
// Shows g_cardId in the card window over the disabled main window.
void OpenCardIdWindow();
