// glTF scene to LOD file: the inverse of the export. Nodes that carry
// `extras.lod` become the LOD nodes they were; others are typed by name
// (`DOF 7`, `Switch 2`, ...) or become SubTrees; meshes become their
// containers' vertex and normal tables and primitives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ingltf/gltf_scene.h"
#include "lod/build/lod_tree.h"

namespace mevlo {

struct GltfImportOptions {
    // Multiplies every position and translation (> 0).
    double scale = 1.0;
    // TEXCOORD_0 read as (u, 1 - v), undoing the export's flip.
    bool flipV = true;
    // Vertices one container may hold; larger meshes are split into sibling
    // SubTrees. The conversion reads indices as 16-bit.
    int32_t maxVertices = 65536;
};

struct GltfImportReport {
    int64_t nodes = 0;
    int64_t triangles = 0;
    int64_t points = 0;
    int64_t lineSegments = 0;
    // Lines for the user, in order: what was ignored, which image got which
    // texture number, ...
    std::vector<std::string> notes;
    // Empty unless the import failed; then one line saying why.
    std::string failure;
};

// The LOD tree a scene maps to. It holds nothing of the scene, so the
// scene (the mapped file) can go before the file is laid out
// (LodFileLayout) and written.
struct ImportedLod {
    LodTree tree;
    LodTreeChain top;
};

// Maps the scene to a LOD tree. False when it cannot be made
// (report.failure says why).
bool mapGltfScene(const GltfScene& scene, const GltfImportOptions& options, ImportedLod& lod,
                  GltfImportReport& report);

// Why a tree that was mapped cannot be laid out.
extern const char* const kImportTooLarge;

// Both steps: the LOD file of the scene into lodBytes. False when it
// cannot be made (report.failure says why).
bool importGltf(const GltfScene& scene, const GltfImportOptions& options, std::vector<uint8_t>& lodBytes,
                GltfImportReport& report);

}  // namespace mevlo
