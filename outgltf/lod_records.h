// What a container's glTF mesh cannot say about its LOD primitives, kept
// in a buffer view of its own that the container node names in
// `extras.lod.records`, so that the import can restore the primitives
// exactly. What the mesh already says exactly is not repeated: a polygon
// whose fan reached the mesh whole takes its corners from its triangles,
// and its texture coordinates from TEXCOORD_0 where those give back the
// stored bits.
//
// Layout (u32 = little-endian 32-bit word, v = LEB128 unsigned, s = LEB128
// zigzag-signed, f = little-endian float bits):
//   u32 "LODR" (0x52444F4C), u32 version 2, u32 LOD vertex count,
//   u32 LOD normal count, u32 glTF primitive count P, u32 holder count H,
//   u32 flags (bit 0: TEXCOORD_0 holds (u, 1 - v)), u32 LOD primitive
//   count, u32 index words and u32 texture coordinate floats the holders'
//   blocks take (so that the import can make room once);
//   P x (u32 vertex count, u32 index count) of the mesh's glTF primitives;
//   then bytes:
//   per glTF primitive: v k; k = 0: the LOD vertex of each of its vertices
//     (16-bit little-endian each); k > 0: the same vertices as primitive
//     p - k;
//   v G, G x v (t + 1): the glTF TRIANGLES primitive t of each fan group
//     (0: none);
//   v M, M x (v LOD index, f x, f y, f z): vertices the records name that no
//     glTF vertex carries (not finite, or only used by dropped faces);
//   the LOD normal table as stored (f x, f y, f z each);
//   H holders in walk order: v node code (PT 7, LP 8, CP 9), then its
//   primitive (two for LP, side A first):
//     v type, v n, v form (bits below);
//     for a polygon type with n >= 3: v (g + 1), its fan group g (0: no
//       triangles reached the mesh); with a group and no bit 0, v the count
//       of its triangles there;
//     without bit 0: n x s vertex index, each less the one before (the
//       first less 0);
//     polyData when the type has it: v k; k = 0: f a, f b, f c, f d, added
//       to the container's plane list; k > 0: entry k - 1 of that list (the
//       export names planes it met before where it finds them cheaply);
//     n colours (s each), or one with bit 2 or when the type has one;
//     n normal indices (s each), none with bit 4, one with bit 3 or when
//       the type has one;
//     s textureId, then n (f u, f v) pairs unless bit 1.
//   Form bits: 0 the corners are its triangles' (corner 0 is the first
//   triangle's first vertex, corners 1 and 2 its others, corner i + 2 the
//   third vertex of triangle i, each mapped to its LOD vertex); 1 texture
//   coordinates from its corners' TEXCOORD_0 (v flipped back when the
//   flag says so); 2 one colour for every corner; 3 one normal for every
//   corner; 4 normal index i is vertex index i.
// Triangles of a group are taken in the order the records name them.
// The counts of the glTF primitives let the import tell whether the mesh is
// still the one the records were made for (a tool that rewrites the file
// keeps the node extras but not this view).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "outgltf/append_array.h"
#include "outgltf/gltf_document.h"

namespace mevlo {

class LodNode;
class Primitive;
class SubTreeNode;

constexpr uint32_t kLodRecordsMagic = 0x52444F4C;
constexpr uint32_t kLodRecordsVersion = 2;
constexpr uint32_t kLodRecordsFlipV = 1;

enum LodRecordForm : uint32_t {
    kFormCornersFromTriangles = 1,
    kFormTexCoordsFromMesh = 2,
    kFormOneColor = 4,
    kFormOneNormal = 8,
    kFormNormalsAreVertices = 16,
};

// The LOD vertex each vertex of a glTF primitive came from; primitives of
// one group share their vertices and name the first one's.
struct GltfPrimitiveSource {
    int64_t indexCount = 0;
    uint32_t vertexCount = 0;
    // Index of the source that holds the map (this one when lodVertex is set).
    size_t mapOwner = 0;
    std::vector<uint16_t> lodVertex;
};

// Where the mesh builder put one polygon's fan.
struct FanPlacement {
    int32_t group = -1;       // the builder's group, -1 when no triangle was kept
    int64_t triangles = 0;    // triangles added to the group
    bool whole = false;       // faces (0, i + 1, i + 2) for every i, indices as stored
    bool texCoordsExact = false;  // TEXCOORD_0 of its corners gives back the stored bits
};

class LodRecordStream {
public:
    LodRecordStream(const SubTreeNode& container, bool flipV) : container_(container), flipV_(flipV) {}

    // Words one holder's record takes at most (bounded by the export's limit).
    static int64_t holderWords(const LodNode& holder);
    void addHolder(const LodNode& holder);
    // The fan of a primitive of the holder last added.
    void placeFan(const Primitive& primitive, const FanPlacement& placement);

    // Whether the view would say anything (holders or normals).
    bool worthWriting() const;
    // Writes the view; returns its index. `groupTriangles` gives the glTF
    // primitive of each fan group's triangles (-1 for none).
    int32_t write(GltfDocument& document, const std::vector<GltfPrimitiveSource>& sources,
                  const std::vector<int32_t>& groupTriangles);

private:
    // Planes met before, found by a direct-mapped table of their hashes:
    // coplanar polygons tend to come together, and a miss only costs the
    // plane's 16 bytes.
    struct PlaneSlot {
        uint32_t bits[4] = {0, 0, 0, 0};
        uint32_t index = 0;  // 0: empty; else entry index + 1
    };
    static constexpr size_t kPlaneSlots = 1024;

    void flushPending();
    void addPrimitive(const Primitive* primitive, const FanPlacement* placement);

    const SubTreeNode& container_;
    const bool flipV_;
    int32_t holders_ = 0;
    uint32_t primitives_ = 0;
    uint64_t blockInts_ = 0;
    uint64_t blockFloats_ = 0;
    // The holder whose fans are still being placed.
    const LodNode* pending_ = nullptr;
    const Primitive* pendingSides_[2] = {nullptr, nullptr};
    FanPlacement placements_[2];
    AppendArray<uint8_t> bytes_;
    std::unique_ptr<PlaneSlot[]> planeSlots_;
    uint32_t planes_ = 0;
    // LOD vertex indices the records name, to find the ones no glTF vertex carries.
    std::vector<uint8_t> named_;
};

}  // namespace mevlo
