// The `chain` benchmark model written straight to bytes: one SubTree whose
// child chain holds a million point and line primitives. A million builder
// nodes would cost gigabytes, so this writer lays the file out in one pass
// with the builder's exact layout (tests compare the two on a short chain).
#pragma once

#include <cstdint>
#include <vector>

#include "lod_builder.h"

namespace bench {

struct ChainShape {
    int32_t primitives = 1000000;
    int32_t vertices = 1000;
    // Every facePeriod-th primitive has three vertices and so yields one
    // face; the others are points or lines, which yield none.
    int32_t facePeriod = 500;
};

// Vertex i of the SubTree and the i-th primitive of the chain.
mevlo::Vec3 chainVertex(int32_t i);
lodtest::Prim chainPrimitive(const ChainShape& shape, int32_t i);

// The file, laid out without building nodes.
std::vector<uint8_t> writeChainModel(const ChainShape& shape);

// The same file through the builder (for short chains).
std::vector<uint8_t> buildChainModel(const ChainShape& shape);

}  // namespace bench
