// SPDX-License-Identifier: Apache-2.0
// vireo-sim: plays a Vireo-4 reader (KRU, KRM or USB) on a pseudo-terminal, so the
// configurator can be tried and tested without hardware. See sim/README.md.
#include <cstdio>
#include <cstring>
#include <string>

#include "control.h"
#include "line.h"
#include "reader.h"

namespace {

constexpr size_t kMaxBarcodeDigits = 11;
constexpr size_t kMaxCipherDigits = 10;

const char kUsage[] =
    "usage: vireo-sim [--model U|M|X|B] [--firmware LABEL] [--settings CHARS]\n"
    "                 [--barcode DIGITS] [--cipher DIGITS] [--log FILE]\n"
    "                 [--control FIFO] [--link PATH] [--baud-delay on|off] [--delay MS]\n"
    "                 [--silent] [--refuse] [--garbage] [--lower] [--nodot]\n"
    "                 [--cut N] [--split MS] [--flood N] [--late MS] [--raw HEX]\n"
    "Prints the pty path as its first line and serves until SIGTERM or SIGINT.\n";

int UsageError(const std::string& why) {
    std::fprintf(stderr, "vireo-sim: %s\n%s", why.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The model decides the default settings, so it is read before everything else.
    char model = 'U';
    for (int k = 1; k + 1 < argc; ++k) {
        if (std::strcmp(argv[k], "--model") == 0) {
            const char* value = argv[k + 1];
            if (std::strlen(value) != 1 || !IsKnownModel(value[0])) {
                return UsageError("--model takes U, M, X or B");
            }
            model = value[0];
        }
    }
    ReaderState reader;
    InitReader(&reader, model);

    LineOptions options;
    for (int k = 1; k < argc; ++k) {
        std::string option = argv[k];
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (option.compare(0, 2, "--") != 0) return UsageError("unexpected argument " + option);
        std::string word = option.substr(2);
        auto next = [&](std::string* value) {
            if (k + 1 >= argc) return false;
            *value = argv[++k];
            return true;
        };
        std::string value;
        if (word == "model") {
            ++k;  // taken above
        } else if (word == "log" || word == "control" || word == "link") {
            if (!next(&value) || value.empty()) return UsageError(option + " needs a path");
            (word == "log" ? options.logPath : word == "control" ? options.controlPath
                                                                 : options.linkPath) = value;
        } else if (word == "barcode" || word == "cipher") {
            size_t digits = word == "barcode" ? kMaxBarcodeDigits : kMaxCipherDigits;
            if (!next(&value) || !IsDigits(value, digits)) {
                return UsageError(option + " takes 1 to " + std::to_string(digits) + " digits");
            }
            (word == "barcode" ? reader.barcode : reader.cipher) = value;
        } else {
            // Every other option is a control line given at start: --cut 20 is "cut 20".
            int arguments = OptionArgumentCount(word);
            if (arguments < 0 || word == "vanish" || word == "return") {
                return UsageError("unknown option " + option);
            }
            std::string line = word;
            for (int a = 0; a < arguments; ++a) {
                if (!next(&value)) return UsageError(option + " needs an argument");
                line += " " + value;
            }
            std::string error;
            if (ApplyControlLine(&reader, line, &error) != ControlDone) return UsageError(error);
        }
    }
    return RunLine(&reader, options);
}
