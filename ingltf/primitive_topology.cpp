#include "ingltf/primitive_topology.h"

namespace mevlo {

std::vector<std::array<uint32_t, 3>> gltfTriangles(const GltfScenePrimitive& primitive) {
    const GltfIndices& index = primitive.indices;
    const size_t n = index.size();
    std::vector<std::array<uint32_t, 3>> triangles;
    switch (primitive.mode) {
        case GltfMode::Triangles:
            triangles.reserve(n / 3);
            for (size_t i = 0; i + 3 <= n; i += 3) triangles.push_back({index[i], index[i + 1], index[i + 2]});
            break;
        case GltfMode::TriangleStrip:
            // Every other triangle of a strip runs the other way round; its
            // first two corners are exchanged to keep the winding.
            if (n >= 3) triangles.reserve(n - 2);
            for (size_t i = 0; i + 3 <= n; ++i) {
                if (i % 2 == 0) {
                    triangles.push_back({index[i], index[i + 1], index[i + 2]});
                } else {
                    triangles.push_back({index[i + 1], index[i], index[i + 2]});
                }
            }
            break;
        case GltfMode::TriangleFan:
            if (n >= 3) triangles.reserve(n - 2);
            for (size_t i = 1; i + 2 <= n; ++i) triangles.push_back({index[0], index[i], index[i + 1]});
            break;
        default:
            break;
    }
    return triangles;
}

std::vector<std::array<uint32_t, 2>> gltfSegments(const GltfScenePrimitive& primitive) {
    const GltfIndices& index = primitive.indices;
    const size_t n = index.size();
    std::vector<std::array<uint32_t, 2>> segments;
    switch (primitive.mode) {
        case GltfMode::Lines:
            segments.reserve(n / 2);
            for (size_t i = 0; i + 2 <= n; i += 2) segments.push_back({index[i], index[i + 1]});
            break;
        case GltfMode::LineStrip:
        case GltfMode::LineLoop:
            if (n >= 2) segments.reserve(n);
            for (size_t i = 0; i + 2 <= n; ++i) segments.push_back({index[i], index[i + 1]});
            // A loop closes back to its first vertex (two vertices make one
            // segment, not the same one twice).
            if (primitive.mode == GltfMode::LineLoop && n >= 3) segments.push_back({index[n - 1], index[0]});
            break;
        default:
            break;
    }
    return segments;
}

}  // namespace mevlo
