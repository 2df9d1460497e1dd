#pragma once
// Reading a card's barcode number and cipher ID.
#include <cstdint>

struct CardIdResult {
    std::uint32_t barcode;
    std::uint32_t cipherId;
};
extern CardIdResult g_cardId;

// Windows side.
void ReadCardId();
// Command 19 of the main window: search, refuse old firmware, or read.
void OnReadIdCommand();
