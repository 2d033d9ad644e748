#include "lod/primitive.h"

#include "lod/lod_model.h"

namespace mevlo {

const int32_t PrimitiveFlags[kPrimitiveTypeCount] = {
    0x004, 0x004, 0x104, 0x105, 0x108, 0x10A, 0x124, 0x125, 0x128, 0x12A, 0x1A4, 0x1A5, 0x1A8, 0x1AA,
    0x114, 0x115, 0x118, 0x11A, 0x134, 0x135, 0x138, 0x13A, 0x1B4, 0x1B5, 0x1B8, 0x1BA, 0x164,
};

// The record stays where it lies in the file: only where it is is noted.
// Blocks that do not fit the file are counted here, once; they read as
// absent whenever asked for.
void Primitive::readPrimitive(LodModel& lodModel, LodNode* holder) {
    owner = holder;
    recordOffset_ = static_cast<int32_t>(lodModel.stream().tell() - lodModel.dataBase);

    const Fields f = fields();
    const int32_t bits = f.bits();
    if (!isKnownPrimitiveType(f.word(0))) {
        lodModel.report("  FUBAR!\n");
        ++lodModel.problems.unknownPrimitiveTypes;
    }
    if (f.word(1) <= 0) return;  // no blocks to read
    int64_t unreadable = vertexIndices(f).present() ? 0 : 1;
    if ((bits & PRIM_COLORS) && !colorIndices(f).present()) ++unreadable;
    if ((bits & PRIM_NORMALS) && !normalIndices(f).present()) ++unreadable;
    if ((bits & PRIM_TEXTURE) && !texCoords(f).present()) ++unreadable;
    lodModel.problems.unreadableTables += unreadable;
}

}  // namespace mevlo
