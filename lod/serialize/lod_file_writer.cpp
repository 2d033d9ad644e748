#include "lod/serialize/lod_file_writer.h"

#include <array>
#include <string>
#include <utility>

#include "common/byte_order.h"
#include "lod/lod_model.h"
#include "lod/lod_node.h"
#include "lod/serialize/record_writing.h"
#include "lod/serialize/tree_layout.h"
#include "lod/serialize/word_writer.h"

namespace mevlo {

namespace {

// The table is written in creation order while the writer lists codes in
// writing order; both must name the same records.
bool sameCodes(const std::vector<int32_t>& a, const std::vector<int32_t>& b) {
    if (a.size() != b.size()) return false;
    std::array<int64_t, kNodeTypeCount> tally{};
    for (int32_t code : a)
        if (isKnownNodeType(code)) ++tally[static_cast<size_t>(code)];
    for (int32_t code : b)
        if (isKnownNodeType(code)) --tally[static_cast<size_t>(code)];
    for (int64_t n : tally)
        if (n != 0) return false;
    return true;
}

}  // namespace

bool LodFileWriter::plan(const LodNode* root, MessageSink& messages, std::string& error, int64_t maxBytes) {
    creationOrder_.clear();
    nodeData_.clear();
    if (!root) return true;
    SerializedLayout layout = layoutChain(root);
    // Every byte position of node data must be an int32 offset.
    if (layout.wordCount > WordWriter::kMaxCapacity) {
        error = "model too large to write: node data would exceed 2 GiB";
        return false;
    }
    const auto nodeCount = static_cast<int32_t>(layout.creationOrder.size());
    const int64_t fileBytes = 4 * (1 + static_cast<int64_t>(nodeCount) + layout.wordCount);
    if (fileBytes > maxBytes) {
        error = "model too large to write: the file would take " + std::to_string(fileBytes) +
                " bytes, more than the limit of " + std::to_string(maxBytes) + " (its records share tables)";
        return false;
    }
    WordWriter writer(messages, static_cast<int32_t>(layout.wordCount), nodeCount);
    writeChain(writer, root);
    if (writer.wordCount != layout.wordCount || writer.nodeTypeListCount != nodeCount ||
        !sameCodes(writer.nodeTypeList, layout.creationOrder)) {
        error = "internal error: serialized layout differs from the planned one";
        return false;
    }
    creationOrder_ = std::move(layout.creationOrder);
    nodeData_ = std::move(writer.words);
    return true;
}

size_t LodFileWriter::fileBytes() const {
    return 4 * (size_t{1} + creationOrder_.size() + nodeData_.size());
}

// Node count, node type table, node data: three runs of words.
bool LodFileWriter::stream(const std::function<bool(const uint8_t*, size_t)>& emit) const {
    constexpr size_t kBlockWords = size_t{1} << 18;
    std::vector<uint8_t> block(4 * kBlockWords);
    size_t used = 0;
    // Encodes a run of words into the block in stretches, handing each full
    // block over.
    const auto putRun = [&](const int32_t* words, size_t count) {
        while (count > 0) {
            const size_t now = count < kBlockWords - used ? count : kBlockWords - used;
            store32ArrayLE(block.data() + 4 * used, words, now);
            used += now;
            words += now;
            count -= now;
            if (used == kBlockWords) {
                used = 0;
                if (!emit(block.data(), block.size())) return false;
            }
        }
        return true;
    };
    const auto nodeCount = static_cast<int32_t>(creationOrder_.size());
    return putRun(&nodeCount, 1) && putRun(creationOrder_.data(), creationOrder_.size()) &&
           putRun(nodeData_.data(), nodeData_.size()) &&
           (used == 0 || emit(block.data(), 4 * used));
}

bool writeLodFile(const LodNode* root, MessageSink& messages, std::vector<uint8_t>& bytes, std::string& error,
                  int64_t maxBytes) {
    bytes.clear();
    LodFileWriter writer;
    if (!writer.plan(root, messages, error, maxBytes)) return false;
    bytes.reserve(writer.fileBytes());
    return writer.stream([&bytes](const uint8_t* data, size_t size) {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    });
}

bool writeLodFile(const LodModel& model, MessageSink& messages, std::vector<uint8_t>& bytes, std::string& error,
                  int64_t maxBytes) {
    return writeLodFile(model.root.get(), messages, bytes, error, maxBytes);
}

}  // namespace mevlo
