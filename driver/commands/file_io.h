// Whole-file input and checked whole-file output for the command-line tools.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace mevlo {

// Reads everything from an open stream. False on a read error. A size hint
// (the size of a regular file, or -1) lets the read go in one piece.
bool readWholeStream(std::FILE* in, std::vector<uint8_t>& bytes, int64_t sizeHint = -1);

// Opens path ("rb"), reads it in full and closes it. On failure error holds
// a one-line reason ("<path>: cannot open: ..." or "<path>: cannot read: ...").
bool readInputFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Creates or truncates path and writes bytes with one fwrite, then a
// checked fflush and fclose. On any failure, error holds a one-line reason
// ("<path>: <what failed>") and a regular file that was being written is
// removed, so no truncated output is left behind that looks valid.
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// Opens path for writing ("wb"); on failure error holds the reason.
std::FILE* openOutputFile(const std::string& path, std::string& error);

// Writes bytes to an already opened output and closes it (the stream is
// closed in every case). On failure error holds the reason and a regular
// file at path is removed.
bool finishOutputFile(std::FILE* out, const std::string& path, const std::vector<uint8_t>& bytes,
                      std::string& error);

}  // namespace mevlo
