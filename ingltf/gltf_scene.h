// A glTF 2.0 file as the importer sees it: the default scene's node forest,
// every mesh with its primitives decoded into plain arrays (positions,
// normals, texture coordinates, indices), the materials and images, and the
// JSON `extras` of nodes, meshes, primitives and materials as they were
// written. Reading checks everything the mapping relies on (indices in
// range, finite positions, a tree without loops or shared children), so the
// mapping works on data it can trust.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ingltf/gltf_array.h"
#include "io/input_file.h"

namespace mevlo {

// Primitive modes, as glTF numbers them.
enum class GltfMode : int32_t {
    Points = 0,
    Lines = 1,
    LineLoop = 2,
    LineStrip = 3,
    Triangles = 4,
    TriangleStrip = 5,
    TriangleFan = 6,
};

struct GltfScenePrimitive {
    GltfMode mode = GltfMode::Triangles;
    // Three floats per vertex, in glTF axes, all finite. The arrays view
    // memory the scene holds (see gltf_array.h): primitives naming the same
    // accessor share it, so the mapping should not assume a primitive uses
    // every vertex of its table.
    GltfArray<float> positions;
    // Three floats per vertex, or empty when the primitive has no NORMAL.
    // Normals and texture coordinates are as stored: not checked finite.
    GltfArray<float> normals;
    // Two floats per vertex (TEXCOORD_0 as stored: origin top left), or empty.
    GltfArray<float> texCoords;
    // Vertex indices in the order the mode reads them, each < vertex count,
    // at the width the file stores them (each reads as a uint32_t). A
    // primitive without an index accessor gets 0, 1, 2, ...
    GltfIndices indices;
    int32_t material = -1;
    // Null when absent; packed when read from a file (one per primitive adds
    // up): read it through unpackedElement (ingltf/gltf_json.h).
    nlohmann::json extras;
};

struct GltfSceneMesh {
    std::string name;
    std::vector<GltfScenePrimitive> primitives;
    nlohmann::json extras;
};

struct GltfSceneMaterial {
    std::string name;
    std::string alphaMode = "OPAQUE";  // OPAQUE, MASK or BLEND
    double alphaCutoff = 0.5;
    // The image of the base colour texture, or -1.
    int32_t baseColorImage = -1;
    nlohmann::json extras;
};

struct GltfSceneImage {
    std::string name;
    std::string uri;  // empty for an image in a buffer view or a data: URI
};

struct GltfSceneNode {
    std::string name;
    // The local transform, always set: from `matrix`, or made of TRS.
    // Column-major 4x4, as glTF stores `matrix`.
    std::array<double, 16> matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // TRS when the node gave them (or the identity); hasMatrix when it gave
    // `matrix` instead.
    bool hasMatrix = false;
    std::array<double, 3> translation{0, 0, 0};
    std::array<double, 4> rotation{0, 0, 0, 1};  // x, y, z, w
    std::array<double, 3> scale{1, 1, 1};
    int32_t mesh = -1;
    std::vector<int32_t> children;
    nlohmann::json extras;
};

struct GltfScene {
    std::vector<GltfSceneNode> nodes;
    // The nodes of the default scene (or of the first scene, or, without
    // scenes, every node that is no one's child), in order.
    std::vector<int32_t> roots;
    std::vector<GltfSceneMesh> meshes;
    std::vector<GltfSceneMaterial> materials;
    std::vector<GltfSceneImage> images;
    // Every buffer view as a view into the buffers below, for data that
    // extras point to (`extras.lod` may name a buffer view that holds
    // records in binary). {nullptr, 0} where the view could not be read.
    struct ByteView {
        const uint8_t* data = nullptr;
        size_t size = 0;
    };
    std::vector<ByteView> bufferViews;
    // What the views point into: the file itself (a GLB's binary chunk is
    // not copied) and the buffers read from other files or data: URIs.
    InputFile file;
    std::vector<std::vector<uint8_t>> buffers;
    // External buffer files, mapped as the file itself is.
    std::vector<InputFile> bufferFiles;
    // Accessors decoded once (other component types, strides, sparse
    // substitution) that the primitives' arrays view.
    std::vector<std::vector<float>> decodedFloats;
    std::vector<std::vector<uint32_t>> decodedIndices;
    // What the file holds that the import leaves out: "cameras", "skins",
    // "animations", "morph targets", "lights", each at most once.
    std::vector<std::string> ignored;
};

// Reads a .glb or .gltf file (a .gltf's buffers from files beside it or
// from data: URIs). False, with a one-line reason in error (no path in
// front), when the file is damaged, needs an extension we do not
// understand, or breaks a rule above.
bool readGltfFile(const std::string& path, GltfScene& scene, std::string& error);
// The same for a file already in memory; `baseDir` is where a .gltf's
// relative buffer URIs are looked up (empty: only data: URIs and the GLB
// chunk are allowed).
bool readGltfBytes(const uint8_t* data, size_t size, const std::string& baseDir, GltfScene& scene,
                   std::string& error);

}  // namespace mevlo
