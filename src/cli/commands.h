// SPDX-License-Identifier: Apache-2.0
#pragma once
// The commands, one function each; every one returns the process exit code.
#include "cli/args.h"
#include "cli/fleet.h"
#include "cli/link.h"

int RunPorts(const Options& options);
int RunFind(const Options& options);
int RunRead(const Options& options);
int RunWrite(const Options& options);
int RunApply(const Options& options);
int RunCard(const Options& options);

// Shared by the commands: opens the target's port and asks which reader is there. The outcome
// carries the reader (before) and the status; the link stays open only when it is Ok.
PortOutcome OpenAndIdentify(const PortTarget& target, const Options& options, Link* link);

// A usage error: the message, a hint to the command's help, exit code 1.
int UsageFailure(const Options& options, const std::string& message);

// The one port of read, write and card; a glob that names several is a usage error.
bool SinglePort(const Options& options, PortTarget* target, std::string* error);
