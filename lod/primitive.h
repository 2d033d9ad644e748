// Primitive records: the faces of PT, CP and LP nodes.
//
// A record holds type, vertexCount and a vertex index block offset, then
// the optional fields that the type's PrimitiveFlags entry announces, in
// this order: polyData (4 floats), colour block offset or colorIndex,
// normal block offset or normalIndex, textureId and texture block offset.
// Blocks hold vertexCount entries (int32 each, or u, v float pairs).
#pragma once

#include <cstdint>

#include "common/byte_order.h"
#include "lod/lod_model.h"
#include "lod/packed_table.h"

namespace mevlo {

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

// A view of one primitive record in the loaded file, which the model keeps
// for as long as it lives. Millions of these are held, so nothing the record
// says is copied: every field is decoded from the record when asked for.
class Primitive {
public:
    // An empty record (type 0, no vertices, colour 0) that was not read
    // from any file.
    Primitive() = default;

    // Reads the record at the stream's current position. Reports
    // "  FUBAR!\n" for a type outside 0..26 and then reads fields 1-3 only.
    void readPrimitive(LodModel& model, LodNode* holder);

    // Writes the record and its blocks (see the serializer).
    int32_t serializePrimitive(WordWriter& writer) const;
    // Writes this primitive's part of a listing line.
    void printPrimitive(ListingWriter& out) const;

    int32_t type() const { return fields().word(0); }
    int32_t flags() const { return primitiveFlagsOf(type()); }
    int32_t vertexCount() const { return fields().word(1); }
    // Fields the type does not have read as 0.
    float polyData(int i) const { return fields().polyData(i); }
    int32_t colorIndex() const { return fields().colorIndex(); }
    int32_t normalIndex() const { return fields().normalIndex(); }
    int32_t textureId() const { return fields().textureId(); }

    // The blocks: absent when the type has none, the count is not positive
    // or the block does not lie wholly in the file (which loading counted as
    // a problem).
    Int32Table vertexIndices() const { return vertexIndices(fields()); }
    Int32Table colorIndices() const { return colorIndices(fields()); }
    Int32Table normalIndices() const { return normalIndices(fields()); }
    TexCoordTable texCoords() const { return texCoords(fields()); }
    // Entries of all the blocks, absent ones counting none.
    int64_t blockEntries() const {
        const Fields f = fields();
        return static_cast<int64_t>(vertexIndices(f).count()) + colorIndices(f).count() + normalIndices(f).count() +
               texCoords(f).count();
    }

    // Every field at once, for code that reads most of them: the record is
    // found and its type's flags looked up once instead of per field. The
    // values are those the accessors above give.
    struct Decoded {
        int32_t type = 0;
        int32_t bits = 0;
        Int32Table vertices;
        Int32Table colors;
        Int32Table normals;
        TexCoordTable texCoords;
        uint32_t polyDataBits[4] = {0, 0, 0, 0};
        int32_t colorIndex = 0;
        int32_t normalIndex = 0;
        int32_t textureId = 0;
    };
    Decoded decode() const {
        const Fields f = fields();
        Decoded d;
        d.type = f.word(0);
        d.bits = primitiveFlagsOf(d.type);
        const int32_t b = d.bits;
        d.vertices = vertexIndices(f);
        if (b & PRIM_POLYDATA) {
            for (int i = 0; i < 4; ++i) d.polyDataBits[i] = static_cast<uint32_t>(f.word(3 + i));
        }
        if (b & PRIM_COLORS) {
            d.colors = table<int32_t>(f, colorWord(b));
        } else if (b & PRIM_COLOR) {
            d.colorIndex = f.word(colorWord(b));
        }
        if (b & PRIM_NORMALS) {
            d.normals = table<int32_t>(f, normalWord(b));
        } else if (b & PRIM_NORMAL) {
            d.normalIndex = f.word(normalWord(b));
        }
        if (b & PRIM_TEXTURE) {
            d.textureId = f.word(textureWord(b));
            d.texCoords = table<TexCoord>(f, textureWord(b) + 1);
        }
        return d;
    }

    // The node that holds the primitive (null for an empty record), which
    // answers its vertex and normal lookups and knows the file.
    LodNode* owner = nullptr;

private:
    // The record as it lies in the file, decoded field by field. Words past
    // the end of the file read as 0, as a read there yields. Functions that
    // use several fields find the record once.
    struct Fields {
        const uint8_t* bytes = nullptr;
        int64_t size = 0;  // bytes from the record to the end of the file

        int32_t word(int32_t i) const { return size - 4 * int64_t{i} >= 4 ? loadI32LE(bytes + 4 * i) : 0; }
        int32_t bits() const { return primitiveFlagsOf(word(0)); }
        float polyData(int i) const {
            return (bits() & PRIM_POLYDATA) ? floatFromBits(static_cast<uint32_t>(word(3 + i))) : 0.0f;
        }
        int32_t colorIndex() const {
            const int32_t b = bits();
            return (b & PRIM_COLOR) && !(b & PRIM_COLORS) ? word(colorWord(b)) : 0;
        }
        int32_t normalIndex() const {
            const int32_t b = bits();
            return (b & PRIM_NORMAL) && !(b & PRIM_NORMALS) ? word(normalWord(b)) : 0;
        }
        int32_t textureId() const {
            const int32_t b = bits();
            return (b & PRIM_TEXTURE) ? word(textureWord(b)) : 0;
        }
    };

    Fields fields() const {
        if (!owner) return {};
        const LodModel& model = *owner->model;
        const int64_t position = model.dataBase + recordOffset_;
        const int64_t fileSize = model.file.size();
        if (position >= fileSize) return {};
        return Fields{model.file.data() + position, fileSize - position};
    }

    // Word positions of the optional fields, which follow one another in
    // file order as the type's flags announce them.
    static int32_t colorWord(int32_t bits) { return (bits & PRIM_POLYDATA) ? 7 : 3; }
    static int32_t normalWord(int32_t bits) {
        return colorWord(bits) + ((bits & (PRIM_COLOR | PRIM_COLORS)) ? 1 : 0);
    }
    static int32_t textureWord(int32_t bits) {
        return normalWord(bits) + ((bits & (PRIM_NORMAL | PRIM_NORMALS)) ? 1 : 0);
    }

    Int32Table vertexIndices(const Fields& f) const { return table<int32_t>(f, 2); }
    Int32Table colorIndices(const Fields& f) const {
        const int32_t b = f.bits();
        return (b & PRIM_COLORS) ? table<int32_t>(f, colorWord(b)) : Int32Table{};
    }
    Int32Table normalIndices(const Fields& f) const {
        const int32_t b = f.bits();
        return (b & PRIM_NORMALS) ? table<int32_t>(f, normalWord(b)) : Int32Table{};
    }
    TexCoordTable texCoords(const Fields& f) const {
        const int32_t b = f.bits();
        return (b & PRIM_TEXTURE) ? table<TexCoord>(f, textureWord(b) + 1) : TexCoordTable{};
    }

    // The block of vertexCount entries at the offset in word offsetWord.
    template <typename T>
    PackedTable<T> table(const Fields& f, int32_t offsetWord) const {
        const int32_t count = f.word(1);
        if (count <= 0) return {};
        return PackedTable<T>(owner->model->readBlock(f.word(offsetWord), count * PackedTable<T>::kEntrySize), count);
    }

    // The record's node-data offset.
    int32_t recordOffset_ = 0;
};

}  // namespace mevlo
