#include "lod/primitive_nodes.h"

#include "lod/lod_model.h"

namespace mevlo {

ArenaPtr<Primitive> readPrimitiveAt(LodModel& model, int32_t offset, LodNode* holder) {
    if (!model.stream().seek(model.dataBase + offset)) return nullptr;
    ArenaPtr<Primitive> primitive(model.arena().create<Primitive>());
    primitive->readPrimitive(model, holder);
    return primitive;
}

void SinglePrimitiveNode::readRecord(LodModel& model) {
    const int32_t offset = readInt32(model.stream());
    primitive = readPrimitiveAt(model, offset, this);
}

// Both offsets are read before either side's record.
void DblPolyNode::readRecord(LodModel& model) {
    ByteStream& in = model.stream();
    const int32_t offsetA = readInt32(in);
    const int32_t offsetB = readInt32(in);
    sideA = readPrimitiveAt(model, offsetA, this);
    sideB = readPrimitiveAt(model, offsetB, this);
}

}  // namespace mevlo
