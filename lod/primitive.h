// Primitive records: the faces of PT, CP and LP nodes.
//
// A record holds type, vertexCount and a vertex index block offset, then
// the optional fields that the type's PrimitiveFlags entry announces, in
// this order: polyData (4 floats), colour block offset or colorIndex,
// normal block offset or normalIndex, textureId and texture block offset.
// Blocks hold vertexCount entries (int32 each, or u, v float pairs).
#pragma once

#include <cstdint>

#include "lod/packed_table.h"

namespace mevlo {

class LodModel;
class LodNode;
class WordWriter;

constexpr int32_t PRIM_NORMAL = 0x001;
constexpr int32_t PRIM_NORMALS = 0x002;
constexpr int32_t PRIM_COLOR = 0x004;
constexpr int32_t PRIM_COLORS = 0x008;
constexpr int32_t PRIM_ALPHA = 0x010;
constexpr int32_t PRIM_TEXTURE = 0x020;
constexpr int32_t PRIM_TEXALPHA = 0x040;
constexpr int32_t PRIM_CLIP = 0x080;
constexpr int32_t PRIM_POLYDATA = 0x100;

constexpr int32_t kPrimitiveTypeCount = 27;
extern const int32_t PrimitiveFlags[kPrimitiveTypeCount];

inline bool isKnownPrimitiveType(int32_t type) { return type >= 0 && type < kPrimitiveTypeCount; }
// The flags of a type; a type outside 0..26 has none.
inline int32_t primitiveFlagsOf(int32_t type) { return isKnownPrimitiveType(type) ? PrimitiveFlags[type] : 0; }

class Primitive {
public:
    // Reads the record at the stream's current position. Prints
    // "  FUBAR!\n" for a type outside 0..26 and then reads fields 1-3 only.
    void readPrimitive(LodModel& model, LodNode* holder);

    // Writes the record and its blocks (see the serializer).
    int32_t serializePrimitive(WordWriter& writer) const;
    // Writes this primitive's part of a listing line.
    void printPrimitive() const;

    int32_t flags() const { return primitiveFlagsOf(type); }

    LodNode* owner = nullptr;
    int32_t type = 0;
    float polyData[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    int32_t vertexCount = 0;
    Int32Table vertexIndices;
    Int32Table normalIndices;
    int32_t normalIndex = 0;
    Int32Table colorIndices;
    int32_t colorIndex = 0;
    int32_t textureId = 0;
    TexCoordTable texCoords;
};

}  // namespace mevlo
