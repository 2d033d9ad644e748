// The triangles and line segments a glTF primitive's mode makes of its
// index list: strips and fans unrolled (a strip's odd triangles turned to
// keep the winding), loops closed.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ingltf/gltf_scene.h"

namespace mevlo {

// Empty for modes that make no triangles.
std::vector<std::array<uint32_t, 3>> gltfTriangles(const GltfScenePrimitive& primitive);
// Empty for modes that make no segments.
std::vector<std::array<uint32_t, 2>> gltfSegments(const GltfScenePrimitive& primitive);

}  // namespace mevlo
