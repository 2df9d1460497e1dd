// SPDX-License-Identifier: Apache-2.0
#include "gui/help.h"

#include <cinttypes>
#include <cstdio>

namespace {
// The shell's results of 32 and below are errors.
constexpr std::intptr_t kShellSuccessAbove = 32;
constexpr std::intptr_t kFileNotFound = 2;
constexpr std::intptr_t kPathNotFound = 3;
constexpr std::intptr_t kNoAssociation = 31;
}  // namespace

HelpOutcome ClassifyHelpResult(std::intptr_t r) {
    if (r > kShellSuccessAbove) return HelpOpened;
    if (r == kFileNotFound || r == kPathNotFound) return HelpNotFound;
    if (r == kNoAssociation) return HelpNoViewer;
    return HelpFailed;
}

bool FormatHelpFailure(char* out, std::size_t size, const char* message, const char* label, std::intptr_t r) {
    // PRIu64 gives the conversion the C runtime in use understands for 64-bit values.
    const int n = std::snprintf(out, size, "%s\n\r[%s: %" PRIu64 "]", message, label,
                                static_cast<std::uint64_t>(static_cast<std::int64_t>(r)));
    return n >= 0 && static_cast<std::size_t>(n) < size;
}
