// SPDX-License-Identifier: Apache-2.0
#include "web/json.h"

#include <cstdio>

namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kFirstNonAscii = 0x80;

void AppendEscape(unsigned char c, std::string* out) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", c);
    *out += escape;
}

}  // namespace

void Json::Separate() {
    if (needComma_) out_ += ',';
    needComma_ = true;
}

Json& Json::BeginObject() {
    Separate();
    out_ += '{';
    needComma_ = false;
    return *this;
}

Json& Json::EndObject() {
    out_ += '}';
    needComma_ = true;
    return *this;
}

Json& Json::BeginArray() {
    Separate();
    out_ += '[';
    needComma_ = false;
    return *this;
}

Json& Json::EndArray() {
    out_ += ']';
    needComma_ = true;
    return *this;
}

Json& Json::Key(const char* name) {
    Separate();
    Quoted(name, false);
    out_ += ':';
    needComma_ = false;
    return *this;
}

void Json::Quoted(const std::string& text, bool bytes) {
    out_ += '"';
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out_ += '\\';
            out_ += static_cast<char>(c);
        } else if (c == '\n') {
            out_ += "\\n";
        } else if (c == '\r') {
            out_ += "\\r";
        } else if (c == '\t') {
            out_ += "\\t";
        } else if (c < kFirstPrintable || c == kDelete || (bytes && c >= kFirstNonAscii)) {
            AppendEscape(c, &out_);
        } else {
            out_ += static_cast<char>(c);
        }
    }
    out_ += '"';
}

Json& Json::Text(const std::string& utf8) {
    Separate();
    Quoted(utf8, false);
    return *this;
}

Json& Json::Bytes(const std::string& bytes) {
    Separate();
    Quoted(bytes, true);
    return *this;
}

Json& Json::Number(long long value) {
    Separate();
    out_ += std::to_string(value);
    return *this;
}

Json& Json::Bool(bool value) {
    Separate();
    out_ += value ? "true" : "false";
    return *this;
}

Json& Json::Null() {
    Separate();
    out_ += "null";
    return *this;
}
