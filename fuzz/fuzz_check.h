// SPDX-License-Identifier: Apache-2.0
#pragma once
// What every harness shares: a property check that turns a broken property into a finding
// (libFuzzer saves the input and the run fails), and the input taken apart byte by byte.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

// Takes the fuzzer's bytes from the front; past the end every byte reads as zero.
struct FuzzInput {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t used;

    std::uint8_t Byte() { return used < size ? data[used++] : 0; }
    std::int32_t Int32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
        return static_cast<std::int32_t>(v);
    }
    // Everything not taken yet.
    std::string Rest() {
        std::string rest(reinterpret_cast<const char*>(data) + used, size - used);
        used = size;
        return rest;
    }
};
