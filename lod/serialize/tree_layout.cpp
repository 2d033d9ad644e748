#include "lod/serialize/tree_layout.h"

#include "lod/lod_node.h"
#include "lod/serialize/record_writing.h"
#include "lod/serialize/word_writer.h"

namespace mevlo {

namespace {

// The class of a node: the factory stores the code it built the node for.
int32_t classCode(const LodNode& node) {
    return node.type > NODE_UNUSED && node.type < kNodeTypeCount ? node.type : NODE_UNUSED;
}

// Chains are walked by loops; recursion follows nesting only, which the
// loader bounds.
void layoutInto(const LodNode* head, SerializedLayout& layout) {
    std::vector<const LodNode*> chain;
    for (const LodNode* node = head; node; node = node->next.get()) {
        chain.push_back(node);
        const int32_t code = writtenNodeCode(*node);
        if (code != NODE_UNUSED) layout.creationOrder.push_back(code);
    }
    std::vector<const LodNode*> childChains;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        childChains.clear();
        (*it)->appendChildChains(childChains);  // in the order the reader builds them
        for (const LodNode* childHead : childChains) layoutInto(childHead, layout);
    }
}

}  // namespace

int32_t writtenNodeCode(const LodNode& node) {
    const int32_t code = classCode(node);
    return code == NODE_XSWITCH ? NODE_SWITCH : code;
}

SerializedLayout layoutChain(const LodNode* head) {
    SerializedLayout layout;
    layoutInto(head, layout);
    // The size comes from the record writers themselves, run without storing.
    WordWriter measure = WordWriter::measuring();
    writeChain(measure, head);
    layout.wordCount = measure.measuredWords;
    return layout;
}

}  // namespace mevlo
