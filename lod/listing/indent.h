// Indentation shared by every node listing.
//
// Containers raise the depth while their children list and lower it again
// before their end line, so a listing ends at the depth where it began.
// The counter is process-wide: only one listing may run at a time.
#pragma once

#include <cstdint>

namespace mevlo {

extern int32_t indentDepth;

// Writes indentDepth copies of the two-space unit (nothing at depth 0).
void printIndent();

// Writes the indentation, then text (the usual start of a listing line).
void printLine(const char* text);

}  // namespace mevlo
