// Writes a node tree out as a complete LOD file: node count, node type
// table in creation order, then the node data words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/message_sink.h"

namespace mevlo {

class LodModel;
class LodNode;

// The file in two steps, so that a caller learns whether the tree can be
// written before it creates an output: plan() serializes the node data
// (and refuses what writeLodFile refuses), stream() then hands the whole
// file to emit in blocks of about a megabyte, converting the words to
// little-endian bytes a block at a time instead of copying the file whole.
// The serializer's messages go to messages.
class LodFileWriter {
public:
    bool plan(const LodNode* root, MessageSink& messages, std::string& error, int64_t maxBytes = INT64_MAX);
    // Stops, returning false, as soon as emit does.
    bool stream(const std::function<bool(const uint8_t*, size_t)>& emit) const;
    // Bytes stream() will hand over.
    size_t fileBytes() const;

private:
    std::vector<int32_t> creationOrder_;
    std::vector<int32_t> nodeData_;
};

// Serializes the chain that starts at root (the root and its next
// siblings) into bytes. Without a root the file is a node count of 0 alone.
// Fails, with a one-line reason in error and bytes cleared, when the node
// data would not fit the 32-bit offsets of the format; a file is never
// produced with words missing.
// maxBytes bounds the file: a tree whose file would be larger is refused
// before anything is allocated for it.
bool writeLodFile(const LodNode* root, MessageSink& messages, std::vector<uint8_t>& bytes, std::string& error,
                  int64_t maxBytes = INT64_MAX);
bool writeLodFile(const LodModel& model, MessageSink& messages, std::vector<uint8_t>& bytes, std::string& error,
                  int64_t maxBytes = INT64_MAX);

}  // namespace mevlo
