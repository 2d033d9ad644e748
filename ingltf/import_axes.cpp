#include "ingltf/import_axes.h"

namespace mevlo {

namespace {

// Component i of the LOD vector is kSign[i] * glTF[kPick[i]].
constexpr int kPick[3] = {2, 0, 1};
constexpr double kSign[3] = {-1.0, 1.0, -1.0};

}  // namespace

bool LodAffine::isIdentity() const {
    for (int i = 0; i < 3; ++i) {
        if (t[i] != 0.0) return false;
        for (int j = 0; j < 3; ++j)
            if (m[i][j] != (i == j ? 1.0 : 0.0)) return false;
    }
    return true;
}

LodAffine LodAffine::after(const LodAffine& inner) const {
    LodAffine out;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k) sum += m[i][k] * inner.m[k][j];
            out.m[i][j] = sum;
        }
        double sum = t[i];
        for (int k = 0; k < 3; ++k) sum += m[i][k] * inner.t[k];
        out.t[i] = sum;
    }
    return out;
}

Vec3 LodAffine::point(const Vec3& p) const {
    if (isIdentity()) return p;
    const double v[3] = {p.x, p.y, p.z};
    float out[3];
    for (int i = 0; i < 3; ++i) out[i] = static_cast<float>(m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2] + t[i]);
    return Vec3{out[0], out[1], out[2]};
}

Vec3 LodAffine::direction(const Vec3& d) const {
    if (isIdentity()) return d;
    const double v[3] = {d.x, d.y, d.z};
    float out[3];
    for (int i = 0; i < 3; ++i) out[i] = static_cast<float>(m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2]);
    return Vec3{out[0], out[1], out[2]};
}

LodAffine lodAffineOf(const std::array<double, 16>& g, double scale) {
    // L(i, j) = sign_i sign_j G(pick_i, pick_j); t_i = sign_i t_gltf(pick_i).
    LodAffine out;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            out.m[i][j] = kSign[i] * kSign[j] * g[static_cast<size_t>(4 * kPick[j] + kPick[i])];
        out.t[i] = kSign[i] * g[static_cast<size_t>(12 + kPick[i])] * scale;
    }
    return out;
}

}  // namespace mevlo
