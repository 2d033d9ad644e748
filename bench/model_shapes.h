// The benchmark models that the LOD builder describes directly.
#pragma once

#include <cstdint>

#include "lod_builder.h"

namespace bench {

// Per geometry node of the `max` shape: the mesh capacities exactly.
constexpr int32_t kNodeVertices = 8000;
constexpr int32_t kNodeTriangles = 3000;

// A Root and geometryNodes - 1 further geometry nodes, each holding 8000
// vertices and 3000 triangles from CP primitives: DOF and XDOF nests of
// three, a few Switches whose branches are geometry nodes, a few SubTrees
// whose faces are shared with the two chains of a Split, and some nodes
// that convert to nothing. 600 geometry nodes fill the scene exactly.
lodtest::Node maxModel(int32_t geometryNodes);

// Containers nested to the loader's depth limit: geometry nodes with four
// vertices and a quad, each holding a Split that holds the next one, so
// that no more than 600 of the levels open meshes.
lodtest::Node deepModel();

}  // namespace bench
