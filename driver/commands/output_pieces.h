// Writing one output file from several pieces in order (a GLB's head and
// its binary buffer), without joining them in memory first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mevlo {

struct OutputPiece {
    const void* data = nullptr;
    size_t size = 0;
};

// Writes the pieces to path. On failure error holds a one-line reason
// ("<path>: <what failed>") and no partial file is left behind.
bool writeOutputPieces(const std::string& path, const std::vector<OutputPiece>& pieces, std::string& error);

}  // namespace mevlo
