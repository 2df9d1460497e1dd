// SPDX-License-Identifier: Apache-2.0
#pragma once
// Whole files as bytes, for the configuration tests of both builds.
#include <doctest/doctest.h>

#include <cstdio>
#include <string>

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    REQUIRE(f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// "<missing>" when the file cannot be opened.
inline std::string ReadBytes(const std::string& path) {
    std::string bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}
