// SPDX-License-Identifier: Apache-2.0
// Proves that the native tree's sanitizers stop a run: each fault below must end the process
// with a non-zero code (the tests expect failure). Should UBSan be set to report and carry on,
// the signed overflow would pass and its test would fail.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    volatile int big = INT_MAX;
    if (std::strcmp(argv[1], "overflow") == 0) {
        int sum = big + 1;  // signed overflow: UBSan
        std::printf("%d\n", sum);
    } else if (std::strcmp(argv[1], "shift") == 0) {
        volatile int by = 40;
        std::printf("%d\n", 1 << by);  // shift past the width: UBSan
    } else if (std::strcmp(argv[1], "heap") == 0) {
        char* buffer = static_cast<char*>(std::malloc(64));
        std::memset(buffer, 0, 64);
        volatile int index = 64;
        std::printf("%d\n", buffer[index]);  // one byte past a 64-byte buffer: ASan
        std::free(buffer);
    }
    return 0;
}
