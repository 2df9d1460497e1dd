// SPDX-License-Identifier: Apache-2.0
// vireo4-docs man|manual TEMPLATE OUT
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/docgen/docgen.h"

int main(int argc, char** argv) {
    const std::string kind = argc == 4 ? argv[1] : "";
    if (kind != "man" && kind != "manual") {
        std::fprintf(stderr, "usage: vireo4-docs man|manual TEMPLATE OUT\n");
        return 1;
    }
    std::ifstream in(argv[2], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::fprintf(stderr, "vireo4-docs: cannot read %s\n", argv[2]);
        return 1;
    }
    std::string filled;
    std::string error;
    if (!FillTemplate(text.str(), kind == "man" ? ManPageBlocks() : ManualBlocks(), &filled, &error)) {
        std::fprintf(stderr, "vireo4-docs: %s: %s\n", argv[2], error.c_str());
        return 1;
    }
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out << filled;
    out.close();
    if (!out) {
        std::fprintf(stderr, "vireo4-docs: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
