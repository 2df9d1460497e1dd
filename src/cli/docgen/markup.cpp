// SPDX-License-Identifier: Apache-2.0
#include "cli/docgen/docgen.h"

std::string Roff(const std::string& text) {
    std::string out;
    bool literal = false;
    for (char c : text) {
        if (c == '`') {
            out += literal ? "\\fP" : "\\fB";
            literal = !literal;
        } else if (c == '-') {
            out += "\\-";
        } else if (c == '\\') {
            out += "\\e";
        } else {
            out += c;
        }
    }
    // "..." ends no sentence (groff would widen the space after it).
    for (std::size_t at = out.find("..."); at != std::string::npos; at = out.find("...", at + 5)) out.insert(at + 3, "\\&");
    // A line must not start with a control character.
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
    return out;
}

std::string Markdown(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '|' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}
