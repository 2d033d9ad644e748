// Record writers of the plain node, chains, and the leaf and control nodes
// that have no geometry body.
#include <vector>

#include "lod/control_nodes.h"
#include "lod/lod_node.h"
#include "lod/serialize/record_writing.h"
#include "lod/serialize/word_writer.h"

namespace mevlo {

void writeChain(WordWriter& writer, const LodNode* head) {
    for (const LodNode* node = head; node; node = node->next.get()) node->serialize(writer);
}

void writeChildChainAt(WordWriter& writer, int32_t slot, const LodNode* head) {
    if (!head) return;
    writer.patchSlot(slot);
    writeChain(writer, head);
}

void finishRecord(WordWriter& writer, const LodNode& node, int32_t nextSlot) {
    if (node.next) writer.patchSlot(nextSlot);
}

int32_t LodNode::serialize(WordWriter&) const { return 0; }

// A LitString record is its common head alone.
int32_t LitStringNode::serialize(WordWriter& writer) const {
    int32_t nextSlot = -1;
    writer.recordNode(NODE_LITSTRING);
    writer.reserveSlot(nextSlot, -1);
    finishRecord(writer, *this, nextSlot);
    return 1;
}

// rcData goes out as eight words whose little-endian bytes are the 32
// payload bytes as read, so it reads back unchanged.
int32_t RcNode::serialize(WordWriter& writer) const {
    int32_t nextSlot = -1;
    writer.recordNode(NODE_RCNODE);
    writer.reserveSlot(nextSlot, -1);
    writer.writeWord(rcType);
    for (size_t i = 0; i < rcData.size(); i += 4) writer.writeWord(loadI32LE(rcData.data() + i));
    finishRecord(writer, *this, nextSlot);
    return 1;
}

// XSwitch nodes come here too: they are written as plain Switch records
// (code 5, no flags word).
int32_t SwitchNode::serialize(WordWriter& writer) const {
    int32_t nextSlot = -1;
    int32_t tableSlot = -1;
    writer.recordNode(NODE_SWITCH);
    writer.reserveSlot(nextSlot, -1);
    writer.writeWord(switchId);
    writer.writeWord(branchCount);
    // The branch table follows the record directly.
    writer.reserveSlot(tableSlot, 0);
    writer.patchSlot(tableSlot);
    const int32_t tableEntries = branchCount > 0 ? branchCount : 0;
    std::vector<int32_t> branchSlots(static_cast<size_t>(tableEntries), -1);
    for (int32_t& slot : branchSlots) writer.reserveSlot(slot, -1);
    // An empty branch keeps -1 in its entry.
    for (int32_t i = 0; i < tableEntries; ++i) {
        const LodNode* head = branch(i);
        if (!head) continue;
        writer.patchSlot(branchSlots[static_cast<size_t>(i)]);
        writeChain(writer, head);
    }
    finishRecord(writer, *this, nextSlot);
    return 1;
}

int32_t SplitNode::serialize(WordWriter& writer) const {
    int32_t nextSlot = -1;
    int32_t slotA = -1;
    int32_t slotB = -1;
    writer.recordNode(NODE_SPLIT);
    writer.reserveSlot(nextSlot, -1);
    for (float value : plane) writeFloat(writer, value);
    writer.reserveSlot(slotA, -1);
    writer.reserveSlot(slotB, -1);
    if (branchA) {
        writer.patchSlot(slotA);
        writeChain(writer, branchA.get());
    }
    if (branchB) {
        writer.patchSlot(slotB);
        writeChain(writer, branchB.get());
    }
    finishRecord(writer, *this, nextSlot);
    return 1;
}

int32_t SpecialNode::serialize(WordWriter& writer) const {
    int32_t nextSlot = -1;
    int32_t vertexSlot = -1;
    int32_t childSlot = -1;
    writer.recordNode(NODE_SPECIALX);
    writer.reserveSlot(nextSlot, -1);
    writer.reserveSlot(vertexSlot, -1);
    writer.writeWord(vertexCount);
    writer.writeWord(specialType);
    writer.reserveSlot(childSlot, -1);
    writeChildChainAt(writer, childSlot, firstChild.get());
    writeTableAt(writer, vertexSlot, vertices, vertexCount);
    finishRecord(writer, *this, nextSlot);
    return 1;
}

}  // namespace mevlo
