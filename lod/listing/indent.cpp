#include "lod/listing/indent.h"

#include "lod/listing/listing_output.h"

namespace mevlo {

int32_t indentDepth = 0;

void printIndent() {
    // Copied in runs: deep trees would otherwise cost one copy per level.
    static const char kSpaces[] = "                                                                ";
    constexpr int32_t kUnitsPerRun = (sizeof kSpaces - 1) / 2;
    int32_t units = indentDepth;
    while (units > 0) {
        const int32_t now = units < kUnitsPerRun ? units : kUnitsPerRun;
        listText(kSpaces, 2 * static_cast<size_t>(now));
        units -= now;
    }
}

void printLine(const char* text) {
    printIndent();
    listText(text);
}

}  // namespace mevlo
