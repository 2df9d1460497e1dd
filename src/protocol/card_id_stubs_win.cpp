#include "protocol/card_id.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
CardIdResult g_cardId;
void ReadCardId() {}
void OnReadIdCommand() {}
