// SPDX-License-Identifier: Apache-2.0
#include "cli/docgen/docgen.h"

#include "core/version.h"

namespace {

constexpr const char kBlockMark[] = "@@";

void ReplaceAll(std::string* text, const std::string& marker, const std::string& value) {
    for (std::size_t at = text->find(marker); at != std::string::npos; at = text->find(marker, at + value.size()))
        text->replace(at, marker.size(), value);
}

}  // namespace

bool FillTemplate(const std::string& text, const Blocks& blocks, std::string* out, std::string* error) {
    out->clear();
    std::size_t start = 0;
    int lineNumber = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const std::size_t mark = sizeof kBlockMark - 1;
        if (line.size() > 2 * mark && line.compare(0, mark, kBlockMark) == 0 &&
            line.compare(line.size() - mark, mark, kBlockMark) == 0) {
            const std::string name = line.substr(mark, line.size() - 2 * mark);
            const auto block = blocks.find(name);
            if (block == blocks.end()) {
                *error = "line " + std::to_string(lineNumber) + ": no block named " + name;
                return false;
            }
            *out += block->second;
            continue;
        }
        ReplaceAll(&line, "@VERSION@", VIREO_VERSION);
        ReplaceAll(&line, "@VERSION_LABEL@", VIREO_VERSION_LABEL);
        ReplaceAll(&line, "@VERSION_FILE_LABEL@", VIREO_VERSION_FILE_LABEL);
        ReplaceAll(&line, "@MANUAL_NAME@", VIREO_MANUAL_NAME);
        *out += line + "\n";
    }
    return true;
}
