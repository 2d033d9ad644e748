// glTF transforms in LOD axes: a glTF (X, Y, Z) is LOD (-Z, X, -Y), so a
// glTF matrix G becomes A^T G A, with A the export's LOD-to-glTF map.
#pragma once

#include <array>

#include "common/vec.h"

namespace mevlo {

// p' = m p + t, in LOD axes, in double.
struct LodAffine {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double t[3] = {0, 0, 0};

    bool isIdentity() const;
    // this after `inner`: p -> this(inner(p)).
    LodAffine after(const LodAffine& inner) const;
    Vec3 point(const Vec3& p) const;
    // The linear part alone, for normals.
    Vec3 direction(const Vec3& d) const;
};

// A node's local matrix (column-major, glTF axes) in LOD axes, its
// translation multiplied by `scale`.
LodAffine lodAffineOf(const std::array<double, 16>& gltfMatrix, double scale);

// A glTF position or direction in LOD axes.
inline Vec3 lodVectorOf(const float* gltf, double scale) {
    return Vec3{static_cast<float>(-static_cast<double>(gltf[2]) * scale), static_cast<float>(gltf[0] * scale),
                static_cast<float>(-static_cast<double>(gltf[1]) * scale)};
}

}  // namespace mevlo
