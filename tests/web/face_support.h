// SPDX-License-Identifier: Apache-2.0
#pragma once
// Calling the face as the page does: bytes in, a JSON text out (freed here).
#include <string>

#include "web/exports.h"

inline std::string Take(char* result) {
    std::string text = result ? result : "<null>";
    vw_free(result);
    return text;
}

inline const unsigned char* Bytes(const std::string& text) { return reinterpret_cast<const unsigned char*>(text.data()); }
inline int Length(const std::string& text) { return static_cast<int>(text.size()); }

// True when the JSON text holds "name":value exactly as given (value already in JSON form).
inline bool Has(const std::string& json, const std::string& name, const std::string& value) {
    return json.find("\"" + name + "\":" + value) != std::string::npos;
}
