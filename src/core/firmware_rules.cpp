// SPDX-License-Identifier: Apache-2.0
#include "core/firmware_rules.h"

#include <cstdio>

namespace {

constexpr int kVersionScale = 100;

}  // namespace

bool FirmwareRuleAllows(const FirmwareRule& rule, int firmwareVersion, char modelLetter, int conditionValue) {
    if (modelLetter != rule.modelLetter || firmwareVersion < rule.minFirmware) return false;
    return !rule.conditional || conditionValue != rule.conditionValue || firmwareVersion > rule.aboveFirmware;
}

void FormatFirmwareLabel(int firmwareVersion, char* label, std::size_t size) {
    if (size == 0) return;
    const unsigned version = firmwareVersion < 0 ? 0u : static_cast<unsigned>(firmwareVersion);
    std::snprintf(label, size, "%u.%02u", version / kVersionScale, version % kVersionScale);
}
