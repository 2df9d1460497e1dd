#include "protocol/reply.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
ReplyKind ClassifyReply(unsigned char*, int) { return Unrecognized; }
bool CheckFirmwareVersion(const char*) { return false; }
