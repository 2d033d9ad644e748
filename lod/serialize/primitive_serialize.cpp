// Record writers of primitive records and of the PT, CP and LP nodes.
#include "lod/primitive.h"
#include "lod/primitive_nodes.h"
#include "lod/serialize/record_writing.h"
#include "lod/serialize/word_writer.h"

namespace mevlo {

// The record's inline fields first (their order is fixed by the type's
// flags), then the blocks in the order of their slots. A type outside the
// flags table has no optional fields, as when it was read. Blocks the
// reader could not fetch are written as zero words so that the record
// always carries the blocks its count announces.
int32_t Primitive::serializePrimitive(WordWriter& writer) const {
    const Fields f = fields();
    const int32_t bits = f.bits();
    // Without a vertex index block there is nothing to index, so the
    // primitive is written empty.
    const Int32Table indices = vertexIndices(f);
    const int32_t count = indices.present() ? indices.count() : 0;
    int32_t vertexSlot = -1;
    int32_t colorSlot = -1;
    int32_t normalSlot = -1;
    int32_t textureSlot = -1;

    writer.writeWord(f.word(0));
    writer.writeWord(count);
    writer.reserveSlot(vertexSlot, 0);
    if (bits & PRIM_POLYDATA)
        for (int i = 0; i < 4; ++i) writer.writeWord(f.word(3 + i));  // float bits as they are
    if (bits & PRIM_COLORS) {
        writer.reserveSlot(colorSlot, 0);
    } else if (bits & PRIM_COLOR) {
        writer.writeWord(f.word(colorWord(bits)));
    }
    if (bits & PRIM_NORMALS) {
        writer.reserveSlot(normalSlot, 0);
    } else if (bits & PRIM_NORMAL) {
        writer.writeWord(f.word(normalWord(bits)));
    }
    if (bits & PRIM_TEXTURE) {
        writer.writeWord(f.word(textureWord(bits)));
        writer.reserveSlot(textureSlot, 0);
    }

    writer.patchSlot(vertexSlot);
    writeTable(writer, indices, count);
    if (bits & PRIM_COLORS) {
        writer.patchSlot(colorSlot);
        writeTable(writer, colorIndices(f), count);
    }
    if (bits & PRIM_NORMALS) {
        writer.patchSlot(normalSlot);
        writeTable(writer, normalIndices(f), count);
    }
    if (bits & PRIM_TEXTURE) {
        writer.patchSlot(textureSlot);
        writeTable(writer, texCoords(f), count);
    }
    return 1;
}

namespace {

// Stands in for a primitive the node does not hold: type 0 (points), no
// vertices, colour 0.
void serializeHeldPrimitive(WordWriter& writer, const Primitive* primitive) {
    if (primitive) {
        primitive->serializePrimitive(writer);
    } else {
        const Primitive empty;
        empty.serializePrimitive(writer);
    }
}

}  // namespace

// PT and CP: the primitive record directly follows the node record.
int32_t SinglePrimitiveNode::serialize(WordWriter& writer) const {
    int32_t nextSlot = -1;
    int32_t primitiveSlot = -1;
    writer.recordNode(type == NODE_PT ? NODE_PT : NODE_CP);
    writer.reserveSlot(nextSlot, -1);
    writer.reserveSlot(primitiveSlot, -1);
    writer.patchSlot(primitiveSlot);
    serializeHeldPrimitive(writer, primitive());
    finishRecord(writer, *this, nextSlot);
    return 1;
}

int32_t DblPolyNode::serialize(WordWriter& writer) const {
    int32_t nextSlot = -1;
    int32_t slotA = -1;
    int32_t slotB = -1;
    writer.recordNode(NODE_LP);
    writer.reserveSlot(nextSlot, -1);
    writer.reserveSlot(slotA, -1);
    writer.reserveSlot(slotB, -1);
    writer.patchSlot(slotA);
    serializeHeldPrimitive(writer, sideA());
    writer.patchSlot(slotB);
    serializeHeldPrimitive(writer, sideB());
    finishRecord(writer, *this, nextSlot);
    return 1;
}

}  // namespace mevlo
