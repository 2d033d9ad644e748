#include "lod/serialize/word_writer.h"

#include "lod/node_type.h"

namespace mevlo {

WordWriter::WordWriter(MessageSink& messages, int32_t requestedCapacity, int32_t nodeListCapacity)
    : messages_(&messages) {
    capacity = requestedCapacity < 0 ? 0 : (requestedCapacity > kMaxCapacity ? kMaxCapacity : requestedCapacity);
    words.assign(static_cast<size_t>(capacity), 0);
    if (nodeListCapacity > 0) nodeTypeList.reserve(static_cast<size_t>(nodeListCapacity));
}

WordWriter WordWriter::measuring() {
    WordWriter writer;
    writer.measuringOnly = true;
    return writer;
}

void WordWriter::reserveSlot(int32_t& slot, int32_t placeholder) {
    slot = wordCount;
    writeWord(placeholder);
}

void WordWriter::patchSlot(int32_t slot) {
    if (measuringOnly) return;
    if (slot < 0 || slot >= capacity) {
        messages_->message("Pointer Error\n");
        return;
    }
    words[static_cast<size_t>(slot)] = bytePosition;
}

void WordWriter::recordNode(int32_t code) {
    if (measuringOnly) {
        ++nodeTypeListCount;
        ++measuredWords;
        return;
    }
    if (wordCount >= capacity) return;
    nodeTypeList.push_back(code);
    ++nodeTypeListCount;
    writeWord(isKnownNodeType(code) ? NodeTypeTable[code].typeWord : 0);
}

}  // namespace mevlo
