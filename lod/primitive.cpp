#include "lod/primitive.h"

#include <cstdio>

#include "lod/lod_model.h"

namespace mevlo {

const int32_t PrimitiveFlags[kPrimitiveTypeCount] = {
    0x004, 0x004, 0x104, 0x105, 0x108, 0x10A, 0x124, 0x125, 0x128, 0x12A, 0x1A4, 0x1A5, 0x1A8, 0x1AA,
    0x114, 0x115, 0x118, 0x11A, 0x134, 0x135, 0x138, 0x13A, 0x1B4, 0x1B5, 0x1B8, 0x1BA, 0x164,
};

// Optional fields follow in file order: polyData, colours, normals, texture
// (colours precede normals although their flag bits are higher).
void Primitive::readPrimitive(LodModel& lodModel, LodNode* holder) {
    owner = holder;
    vertexIndices = {};
    normalIndices = {};
    colorIndices = {};
    texCoords = {};
    ByteStream& in = lodModel.stream();

    type = readInt32(in);
    int32_t bits = 0;
    if (isKnownPrimitiveType(type)) {
        bits = PrimitiveFlags[type];
    } else {
        if (lodModel.printProblems) std::printf("  FUBAR!\n");
        ++lodModel.problems.unknownPrimitiveTypes;
    }
    vertexCount = readInt32(in);
    vertexIndices = lodModel.readTable<int32_t>(readInt32(in), vertexCount);
    if (bits & PRIM_POLYDATA)
        for (float& value : polyData) value = readFloat(in);
    if (bits & PRIM_COLORS) {
        colorIndices = lodModel.readTable<int32_t>(readInt32(in), vertexCount);
    } else if (bits & PRIM_COLOR) {
        colorIndex = readInt32(in);
    }
    if (bits & PRIM_NORMALS) {
        normalIndices = lodModel.readTable<int32_t>(readInt32(in), vertexCount);
    } else if (bits & PRIM_NORMAL) {
        normalIndex = readInt32(in);
    }
    if (bits & PRIM_TEXTURE) {
        textureId = readInt32(in);
        texCoords = lodModel.readTable<TexCoord>(readInt32(in), vertexCount);
    }
}

}  // namespace mevlo
