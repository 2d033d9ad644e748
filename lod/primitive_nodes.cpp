#include "lod/primitive_nodes.h"

#include "lod/lod_model.h"

namespace mevlo {

void readPrimitiveAt(LodModel& model, int32_t offset, LodNode* holder, Primitive& primitive) {
    if (model.stream().seek(model.dataBase + offset)) primitive.readPrimitive(model, holder);
}

void SinglePrimitiveNode::readRecord(LodModel& model) {
    const int32_t offset = readInt32(model.stream());
    readPrimitiveAt(model, offset, this, primitive_);
}

// Both offsets are read before either side's record.
void DblPolyNode::readRecord(LodModel& model) {
    ByteStream& in = model.stream();
    const int32_t offsetA = readInt32(in);
    const int32_t offsetB = readInt32(in);
    readPrimitiveAt(model, offsetA, this, sideA_);
    readPrimitiveAt(model, offsetB, this, sideB_);
}

}  // namespace mevlo
