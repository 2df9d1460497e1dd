// SPDX-License-Identifier: Apache-2.0
#pragma once
// Reading and judging the reply after a settings query or a write command, with the boxes
// that tell the user the outcome.
#include "core/reply.h"

ReplyKind ReadReply();
