// LOD tree to glTF document: the options of an export, what it reports, and
// the entry point that runs the shared tree walk with the glTF sink.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "outgltf/gltf_document.h"

namespace mevlo {

class LodNode;

struct GltfExportOptions {
    // Texture coordinates as (u, 1 - v): the LOD origin is the bottom left
    // of the image, glTF's the top left.
    bool flipV = true;
    // Image file name for a texture number, "{n}" replaced by it; empty for
    // materials without images.
    std::string texturePattern;
    // Multiplies every position and translation.
    double scale = 1.0;
    // What only `lodtool import` reads: each container's records view and a
    // material per colour (where Blender keeps it). Without them the file
    // holds what glTF itself says, with fewer primitives and materials; an
    // import then maps it from its triangles.
    bool importData = true;
    // Faces, points and line segments one export may write. A crafted file
    // can name one large index block from many nodes; the bound keeps the
    // output proportional to the input.
    int64_t elementLimit = std::numeric_limits<int64_t>::max();
};

struct GltfExportReport {
    int64_t triangles = 0;
    int64_t points = 0;
    int64_t lineSegments = 0;
    // Left out because an index named a vertex the container does not have.
    int64_t facesOutOfRange = 0;
    int64_t pointsOutOfRange = 0;
    int64_t segmentsOutOfRange = 0;
    // Left out because a position was not finite.
    int64_t facesNotFinite = 0;
    int64_t pointsNotFinite = 0;
    int64_t segmentsNotFinite = 0;
    // Non-finite transforms written as the identity.
    int64_t transformsReplaced = 0;
    // Non-finite texture coordinates written as 0.
    int64_t texCoordsReplaced = 0;
    // Empty unless the export stopped (the element limit was passed).
    std::string failure;
};

// The faces, points and lines an export of `inputBytes` bytes may write.
int64_t gltfElementLimit(int64_t inputBytes);

// Builds the document of the tree from its start node (may be null). False
// when the export stopped; report.failure says why.
bool buildGltf(const LodNode* start, const GltfExportOptions& options, GltfDocument& document,
               GltfExportReport& report);

}  // namespace mevlo
