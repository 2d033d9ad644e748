// The axes of the output formats, each written out once here.
//
// A LOD vector (x, y, z) is (y, x, -z) in a 3DS file and (y, -z, -x) in
// glTF, which is +Y up and right-handed. Both maps are signed permutations:
// they move values and flip signs, and round nothing.
#pragma once

#include "common/byte_order.h"
#include "common/vec.h"

namespace mevlo {

// (x, y, z) -> (y, -z, -x).
inline Vec3d toGltfAxes(const Vec3d& v) { return Vec3d{v.y, -v.z, -v.x}; }
inline Vec3d toGltfAxes(const Vec3& v) { return toGltfAxes(widened(v)); }

// The same in float, bit for bit the double form narrowed (negation and
// the round trip through double are exact).
inline Vec3 toGltfAxesFloat(const Vec3& v) {
    const Vec3d g = toGltfAxes(v);
    return Vec3{static_cast<float>(g.x), static_cast<float>(g.y), static_cast<float>(g.z)};
}

// (x, y, z) -> (y, x, -z). The sign of z is flipped bitwise, so +0.0 becomes
// -0.0 and every other value keeps its bits apart from the sign.
inline Vec3 to3dsAxes(const Vec3& v) { return Vec3{v.y, v.x, floatFromBits(bitsOfFloat(v.z) ^ 0x80000000u)}; }

}  // namespace mevlo
