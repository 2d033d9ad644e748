#include "lod/serialize/lod_file_writer.h"

#include <array>
#include <string>

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

void appendWord(std::vector<uint8_t>& bytes, size_t& at, int32_t value) {
    storeU32LE(bytes.data() + at, static_cast<uint32_t>(value));
    at += 4;
}

}  // namespace

bool writeLodFile(const LodNode* root, std::vector<uint8_t>& bytes, std::string& error, int64_t maxBytes) {
    bytes.clear();
    if (!root) {
        bytes.assign(4, 0);
        return true;
    }
    const SerializedLayout layout = layoutChain(root);
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
    WordWriter writer(static_cast<int32_t>(layout.wordCount), nodeCount);
    writeChain(writer, root);
    if (writer.wordCount != layout.wordCount || writer.nodeTypeListCount != nodeCount ||
        !sameCodes(writer.nodeTypeList, layout.creationOrder)) {
        error = "internal error: serialized layout differs from the planned one";
        return false;
    }

    bytes.resize(4 * (static_cast<size_t>(1) + static_cast<size_t>(nodeCount) + static_cast<size_t>(writer.wordCount)));
    size_t at = 0;
    appendWord(bytes, at, nodeCount);
    for (int32_t code : layout.creationOrder) appendWord(bytes, at, code);
    for (int32_t i = 0; i < writer.wordCount; ++i) appendWord(bytes, at, writer.words[static_cast<size_t>(i)]);
    return true;
}

bool writeLodFile(const LodModel& model, std::vector<uint8_t>& bytes, std::string& error, int64_t maxBytes) {
    return writeLodFile(model.root.get(), bytes, error, maxBytes);
}

}  // namespace mevlo
