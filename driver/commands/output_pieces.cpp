#include "driver/commands/output_pieces.h"

#include <cstdio>

#include "driver/commands/file_io.h"

namespace mevlo {

bool writeOutputPieces(const std::string& path, const std::vector<OutputPiece>& pieces, std::string& error) {
    std::FILE* out = openOutputFile(path, error);
    if (!out) return false;
    // A failed fwrite sets the stream's error flag, which finishOutputFile
    // reports (and then removes the partial file).
    for (const OutputPiece& piece : pieces) {
        if (piece.size > 0 && std::fwrite(piece.data, 1, piece.size, out) != piece.size) break;
    }
    return finishOutputFile(out, path, {}, error);
}

}  // namespace mevlo
