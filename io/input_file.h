// Whole-file input: a model is read into memory in one piece before any of
// it is decoded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mevlo {

// Opens path, reads it in full and closes it. On failure error holds a
// one-line reason ("<path>: cannot open: ..." or "<path>: cannot read: ...").
bool readInputFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

}  // namespace mevlo
