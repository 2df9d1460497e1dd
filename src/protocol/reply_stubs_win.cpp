#include "protocol/reply.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
ReplyKind ReadReply() { return Unrecognized; }
