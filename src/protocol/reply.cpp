#include "protocol/reply.h"

#include <cstring>

#include "config/config.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
ReplyKind ClassifyReply(unsigned char*, int) { return Unrecognized; }

namespace {
constexpr int kLabelLength = 4;
constexpr int kSupportedCount = 3;
// One list per family, compared in this order.
constexpr const char* kSupportedKruKrm[kSupportedCount] = {"1.00", "1.10", "2.00"};
constexpr const char* kSupportedUsb[kSupportedCount] = {"1.00", "1.10", "2.00"};
}  // namespace

bool CheckFirmwareVersion(const char* payload) {
    const char* const* labels = nullptr;
    if (g_readerFamily == kKruKrm) labels = kSupportedKruKrm;
    else if (g_readerFamily == kUsb) labels = kSupportedUsb;
    if (labels == nullptr || payload == nullptr) return false;
    for (int i = 0; i < kSupportedCount; ++i)
        if (std::strncmp(payload, labels[i], kLabelLength) == 0) return true;
    return false;
}
