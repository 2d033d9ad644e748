// What a container's glTF mesh cannot say about its LOD primitives, kept
// in a buffer view of its own that the container node names in
// `extras.lod.records`, so that the import can restore the primitives
// exactly.
//
// The view is little-endian 32-bit words:
//   "LODR" (0x52444F4C), version 1, LOD vertex count, LOD normal count,
//   glTF primitive count P, holder count H;
//   P x (vertex count, index count) of the mesh's glTF primitives, in order;
//   per glTF primitive, the LOD vertex index of each of its vertices
//   (16 bits each, the words padded);
//   M, then M x (LOD index, x, y, z): vertices the records name that no
//   glTF vertex carries (not finite, or only used by dropped faces);
//   the LOD normal table as stored (x, y, z each);
//   H holders in walk order: the node code (PT 7, LP 8, CP 9), then its
//   primitive (two for LP, side A first), each as the LOD record with its
//   blocks inline: type, n, n vertex index words, polyData (4 floats) when
//   the type has it, n colours or one colour, n normal indices or one
//   normal, textureId and n (u, v) pairs, as the type announces them.
// The counts of the glTF primitives let the import tell whether the mesh is
// still the one the records were made for (a tool that rewrites the file
// keeps the node extras but not this view).
#pragma once

#include <cstdint>
#include <vector>

#include "outgltf/append_array.h"
#include "outgltf/gltf_document.h"

namespace mevlo {

class LodNode;
class Primitive;
class SubTreeNode;

constexpr uint32_t kLodRecordsMagic = 0x52444F4C;
constexpr uint32_t kLodRecordsVersion = 1;

// The LOD vertex each vertex of a glTF primitive came from.
struct GltfPrimitiveSource {
    int64_t indexCount = 0;
    std::vector<uint16_t> lodVertex;
};

class LodRecordStream {
public:
    explicit LodRecordStream(const SubTreeNode& container) : container_(container) {}

    // Words one holder's record takes (bounded by the export's limit).
    static int64_t holderWords(const LodNode& holder);
    void addHolder(const LodNode& holder);

    // Whether the view would say anything (holders or normals).
    bool worthWriting() const;
    // Writes the view; returns its index.
    int32_t write(GltfDocument& document, const std::vector<GltfPrimitiveSource>& sources) const;

private:
    void addPrimitive(const Primitive* primitive);

    const SubTreeNode& container_;
    int32_t holders_ = 0;
    AppendArray<int32_t> words_;
    // LOD vertex indices the records name, to find the ones no glTF vertex carries.
    std::vector<uint8_t> named_;
};

}  // namespace mevlo
