// SPDX-License-Identifier: Apache-2.0
#pragma once
// What an engine's outcome reads as, the same in vireo4 and on the page, in both languages.
#include <string>

#include "core/engine.h"

// The words an outcome needs beyond its status's text: what was read back instead of what was
// written, why a write is unconfirmed, which card number is too large; "" when the status's
// text says it all.
std::string OutcomeDetail(int language, const EngineOutcome& outcome);

// The detail, or else the status's text.
std::string OutcomeText(int language, const EngineOutcome& outcome);
