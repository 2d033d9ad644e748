// Writes a node tree out as a complete LOD file: node count, node type
// table in creation order, then the node data words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mevlo {

class LodModel;
class LodNode;

// Serializes the chain that starts at root (the root and its next
// siblings) into bytes. Without a root the file is a node count of 0 alone.
// Fails, with a one-line reason in error and bytes cleared, when the node
// data would not fit the 32-bit offsets of the format; a file is never
// produced with words missing.
// maxBytes bounds the file: a tree whose file would be larger is refused
// before anything is allocated for it.
bool writeLodFile(const LodNode* root, std::vector<uint8_t>& bytes, std::string& error,
                  int64_t maxBytes = INT64_MAX);
bool writeLodFile(const LodModel& model, std::vector<uint8_t>& bytes, std::string& error,
                  int64_t maxBytes = INT64_MAX);

}  // namespace mevlo
