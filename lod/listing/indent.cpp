#include "lod/listing/indent.h"

#include <cstdio>

namespace mevlo {

int32_t indentDepth = 0;

void printIndent() {
    // Written in blocks: deep trees would otherwise cost one call per level.
    static const char kSpaces[] = "                                                                ";
    constexpr int32_t kUnitsPerBlock = (sizeof kSpaces - 1) / 2;
    int32_t units = indentDepth;
    while (units > 0) {
        const int32_t now = units < kUnitsPerBlock ? units : kUnitsPerBlock;
        std::fwrite(kSpaces, 1, 2 * static_cast<size_t>(now), stdout);
        units -= now;
    }
}

void printLine(const char* text) {
    printIndent();
    std::fputs(text, stdout);
}

}  // namespace mevlo
