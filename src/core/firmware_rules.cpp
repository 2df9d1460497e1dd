#include "core/firmware_rules.h"

#include <cstdio>

#include "core/commands.h"
#include "core/family.h"
#include "core/setting_names.h"
#include "core/settings.h"

namespace {

constexpr int kFirstFirmwareWithExtras = 110;
constexpr int kVersionScale = 100;

template <typename E>
constexpr int V(E e) { return static_cast<int>(e); }

constexpr FirmwareRule kRules[] = {
    // "Wiegand 58": a KRM reader with firmware 1.10 or later.
    {kKruKrm, kInterfaceIndex, V(Interface::Wiegand58), kModelKrm, kFirstFirmwareWithExtras, false, 0, 0, 0},
    // 7 ID bytes: the USB reader with firmware 1.10 or later; with Touch Memory output above 1.10.
    {kUsb, kBytesIndex, V(ByteCount::Bytes7), kModelUsb, kFirstFirmwareWithExtras, true, kFormatIndex,
     V(OutputFormat::TouchMemory), kFirstFirmwareWithExtras},
};

}  // namespace

const FirmwareRule* FirmwareRules(std::size_t* count) {
    *count = sizeof kRules / sizeof kRules[0];
    return kRules;
}

const FirmwareRule* FirmwareRuleFor(int family, std::size_t setting) {
    for (const FirmwareRule& rule : kRules)
        if (rule.family == family && rule.setting == setting) return &rule;
    return nullptr;
}

bool FirmwareRuleAllows(const FirmwareRule& rule, int firmwareVersion, char modelLetter, int conditionValue) {
    if (modelLetter != rule.modelLetter || firmwareVersion < rule.minFirmware) return false;
    return !rule.conditional || conditionValue != rule.conditionValue || firmwareVersion > rule.aboveFirmware;
}

void FormatFirmwareLabel(int firmwareVersion, char* label, std::size_t size) {
    if (size == 0) return;
    const unsigned version = firmwareVersion < 0 ? 0u : static_cast<unsigned>(firmwareVersion);
    std::snprintf(label, size, "%u.%02u", version / kVersionScale, version % kVersionScale);
}
