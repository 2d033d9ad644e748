// Record writers of the geometry containers: SubTree, Root and the
// transform nodes built on the SubTree body, plus the Slot leaf.
#include "lod/serialize/record_writing.h"
#include "lod/serialize/word_writer.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"

namespace mevlo {

SubTreeNode::BodySlots SubTreeNode::serializeBody(WordWriter& writer, int32_t code) const {
    BodySlots slots;
    writer.recordNode(code);
    writer.reserveSlot(slots.next, -1);
    writer.reserveSlot(slots.vertexTable, -1);
    writer.writeWord(vertexCount);
    writer.writeWord(opaqueA);
    writer.writeWord(opaqueB);
    writer.reserveSlot(slots.normalTable, -1);
    writer.writeWord(normalCount);
    writer.reserveSlot(slots.firstChild, -1);
    return slots;
}

// The tables are written even when empty: the slot then names whatever
// follows, and the count of 0 beside it makes the reader take no table.
void SubTreeNode::serializeTail(WordWriter& writer, const BodySlots& slots) const {
    writeChildChainAt(writer, slots.firstChild, firstChild.get());
    writeTableAt(writer, slots.vertexTable, vertices, vertexCount);
    writeTableAt(writer, slots.normalTable, normals, normalCount);
}

int32_t SubTreeNode::serialize(WordWriter& writer) const {
    const BodySlots slots = serializeBody(writer, NODE_SUBTREE);
    serializeTail(writer, slots);
    finishRecord(writer, *this, slots.next);
    return 1;
}

int32_t RootNode::serialize(WordWriter& writer) const {
    const BodySlots slots = serializeBody(writer, NODE_ROOT);
    int32_t textureSlot = -1;
    writer.reserveSlot(textureSlot, 0);
    writer.writeWord(textureCount);
    writer.writeWord(script);
    serializeTail(writer, slots);
    writer.patchSlot(textureSlot);
    writeTable(writer, textures, textureCount);
    finishRecord(writer, *this, slots.next);
    return 1;
}

int32_t DofNode::serialize(WordWriter& writer) const {
    const BodySlots slots = serializeBody(writer, NODE_DOF);
    writer.writeWord(dofId);
    writeMat3(writer, rotation);
    writeVec3(writer, translation);
    serializeTail(writer, slots);
    finishRecord(writer, *this, slots.next);
    return 1;
}

void DofLimitsNode::serializeDofLimits(WordWriter& writer) const {
    writer.writeWord(dofId);
    writeFloat(writer, minimum);
    writeFloat(writer, maximum);
    writeFloat(writer, multiplier);
    writeFloat(writer, opaqueValue);
    writer.writeWord(flags);
}

void TranslatorNode::serializeTranslatorFields(WordWriter& writer) const {
    serializeDofLimits(writer);
    writeVec3(writer, vector);
}

int32_t TranslatorNode::serialize(WordWriter& writer) const {
    const BodySlots slots = serializeBody(writer, NODE_TRANSLATOR);
    serializeTranslatorFields(writer);
    serializeTail(writer, slots);
    finishRecord(writer, *this, slots.next);
    return 1;
}

int32_t ScaleNode::serialize(WordWriter& writer) const {
    const BodySlots slots = serializeBody(writer, NODE_SCALE);
    serializeTranslatorFields(writer);
    writeVec3(writer, opaqueVector);
    serializeTail(writer, slots);
    finishRecord(writer, *this, slots.next);
    return 1;
}

// flags go out as held, bit 31 (set by the reader) included; reading sets
// that bit again, so the value survives any number of round trips.
int32_t XDofNode::serialize(WordWriter& writer) const {
    const BodySlots slots = serializeBody(writer, NODE_XDOF);
    serializeDofLimits(writer);
    writeMat3(writer, rotation);
    writeVec3(writer, translation);
    serializeTail(writer, slots);
    finishRecord(writer, *this, slots.next);
    return 1;
}

int32_t SlotNode::serialize(WordWriter& writer) const {
    int32_t nextSlot = -1;
    writer.recordNode(NODE_SLOT);
    writer.reserveSlot(nextSlot, -1);
    writeMat3(writer, rotation);
    writeVec3(writer, position);
    writer.writeWord(slotId);
    finishRecord(writer, *this, nextSlot);
    return 1;
}

}  // namespace mevlo
