// Vectors and 3x3 matrices as they appear in LOD records.
#pragma once

#include <cstdint>

#include "common/byte_order.h"

namespace mevlo {

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline Vec3 loadVec3LE(const uint8_t* p) { return Vec3{loadF32LE(p), loadF32LE(p + 4), loadF32LE(p + 8)}; }

// A vector in double, for what is computed from LOD values at more than
// float precision.
struct Vec3d {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Exact: every float is a double.
inline Vec3d widened(const Vec3& v) { return Vec3d{v.x, v.y, v.z}; }

// A 3x3 matrix. Records store it row by row (e0..e8, e(3r+c) = R(r,c));
// memory holds it column by column: element 3c+r is R(r,c).
struct Mat3 {
    float m[9] = {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};

    float at(int row, int col) const { return m[3 * col + row]; }
    // File value e(i), i = 3r + c.
    float fileValue(int i) const { return at(i / 3, i % 3); }
    void setFileValue(int i, float v) { m[3 * (i % 3) + i / 3] = v; }
};

// rotation * v, each component summed in double as (first + third) + second
// and rounded to float. The input is read in full before anything is
// returned, so callers may pass the output vector as input.
inline Vec3 rotatePoint(const Mat3& r, const Vec3& v) {
    const double x = v.x, y = v.y, z = v.z;
    float out[3];
    for (int row = 0; row < 3; ++row) {
        const double sum =
            (static_cast<double>(r.at(row, 0)) * x + static_cast<double>(r.at(row, 2)) * z) +
            static_cast<double>(r.at(row, 1)) * y;
        out[row] = static_cast<float>(sum);
    }
    return Vec3{out[0], out[1], out[2]};
}

// rotation * v as above, then the translation added in float.
inline Vec3 transformPoint(const Mat3& r, const Vec3& t, const Vec3& v) {
    const Vec3 rotated = rotatePoint(r, v);
    return Vec3{rotated.x + t.x, rotated.y + t.y, rotated.z + t.z};
}

}  // namespace mevlo
