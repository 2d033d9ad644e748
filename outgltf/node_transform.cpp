#include "outgltf/node_transform.h"

#include <algorithm>
#include <cmath>

namespace mevlo {

namespace {

// Row-major 3x3 in double.
struct Mat3d {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

// Component i of A v is kSign[i] * v[kPick[i]].
constexpr int kPick[3] = {1, 2, 0};
constexpr double kSign[3] = {1.0, -1.0, -1.0};

Mat3d toGltfMatrix(const Mat3& r) {
    Mat3d out;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            out.m[i][j] = kSign[i] * kSign[j] * static_cast<double>(r.at(kPick[i], kPick[j]));
    return out;
}

double determinant(const Mat3d& a) {
    const auto& m = a.m;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

bool isRotation(const Mat3d& a) {
    constexpr double kTolerance = 1e-5;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            double dot = 0.0;
            for (int k = 0; k < 3; ++k) dot += a.m[k][i] * a.m[k][j];
            if (std::fabs(dot - (i == j ? 1.0 : 0.0)) > kTolerance) return false;
        }
    }
    return std::fabs(determinant(a) - 1.0) <= kTolerance;
}

// The unit quaternion of a rotation matrix (the nearest one when the
// matrix is nearly a rotation).
Quaternion quaternionOf(const Mat3d& a) {
    const auto& m = a.m;
    Quaternion q;
    const double trace = m[0][0] + m[1][1] + m[2][2];
    if (trace > 0.0) {
        const double s = std::sqrt(trace + 1.0) * 2.0;
        q = {(m[2][1] - m[1][2]) / s, (m[0][2] - m[2][0]) / s, (m[1][0] - m[0][1]) / s, 0.25 * s};
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        const double s = std::sqrt(1.0 + m[0][0] - m[1][1] - m[2][2]) * 2.0;
        q = {0.25 * s, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s, (m[2][1] - m[1][2]) / s};
    } else if (m[1][1] > m[2][2]) {
        const double s = std::sqrt(1.0 + m[1][1] - m[0][0] - m[2][2]) * 2.0;
        q = {(m[0][1] + m[1][0]) / s, 0.25 * s, (m[1][2] + m[2][1]) / s, (m[0][2] - m[2][0]) / s};
    } else {
        const double s = std::sqrt(1.0 + m[2][2] - m[0][0] - m[1][1]) * 2.0;
        q = {(m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, 0.25 * s, (m[1][0] - m[0][1]) / s};
    }
    const double norm = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (!(norm > 0.0) || !std::isfinite(norm)) return Quaternion{};
    return {q.x / norm, q.y / norm, q.z / norm, q.w / norm};
}

Vec3d column(const Mat3d& a, int c) { return {a.m[0][c], a.m[1][c], a.m[2][c]}; }
void setColumn(Mat3d& a, int c, const Vec3d& v) {
    a.m[0][c] = v.x;
    a.m[1][c] = v.y;
    a.m[2][c] = v.z;
}
double dot(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3d cross(const Vec3d& a, const Vec3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3d scaled(const Vec3d& v, double f) { return {v.x * f, v.y * f, v.z * f}; }
Vec3d minus(const Vec3d& a, const Vec3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3d normalised(const Vec3d& v) {
    const double n = std::sqrt(dot(v, v));
    return n > 0.0 ? scaled(v, 1.0 / n) : Vec3d{};
}

// A unit vector perpendicular to the unit vector u.
Vec3d perpendicular(const Vec3d& u) {
    const Vec3d axis = std::fabs(u.x) < 0.6 ? Vec3d{1, 0, 0} : (std::fabs(u.y) < 0.6 ? Vec3d{0, 1, 0} : Vec3d{0, 0, 1});
    return normalised(minus(axis, scaled(u, dot(axis, u))));
}

// Eigenvectors (columns of v) and eigenvalues of a symmetric matrix, by
// cyclic Jacobi rotations.
void symmetricEigen(Mat3d s, Mat3d& v, double values[3]) {
    v = Mat3d{};
    for (int sweep = 0; sweep < 50; ++sweep) {
        const double off = s.m[0][1] * s.m[0][1] + s.m[0][2] * s.m[0][2] + s.m[1][2] * s.m[1][2];
        if (off < 1e-30) break;
        for (int p = 0; p < 2; ++p) {
            for (int q = p + 1; q < 3; ++q) {
                if (s.m[p][q] == 0.0) continue;
                const double theta = (s.m[q][q] - s.m[p][p]) / (2.0 * s.m[p][q]);
                const double t = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0);
                const double sn = t * c;
                for (int k = 0; k < 3; ++k) {  // s = J^T s J
                    const double skp = s.m[k][p], skq = s.m[k][q];
                    s.m[k][p] = c * skp - sn * skq;
                    s.m[k][q] = sn * skp + c * skq;
                }
                for (int k = 0; k < 3; ++k) {
                    const double spk = s.m[p][k], sqk = s.m[q][k];
                    s.m[p][k] = c * spk - sn * sqk;
                    s.m[q][k] = sn * spk + c * sqk;
                }
                for (int k = 0; k < 3; ++k) {
                    const double vkp = v.m[k][p], vkq = v.m[k][q];
                    v.m[k][p] = c * vkp - sn * vkq;
                    v.m[k][q] = sn * vkp + c * vkq;
                }
            }
        }
    }
    for (int i = 0; i < 3; ++i) values[i] = s.m[i][i];
}

Mat3d transposed(const Mat3d& a) {
    Mat3d t;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t.m[i][j] = a.m[j][i];
    return t;
}

// M = U diag(sigma) V^T with U and V proper rotations.
void singularValueDecomposition(const Mat3d& m, Mat3d& u, double sigma[3], Mat3d& v) {
    Mat3d mtm;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k) sum += m.m[k][i] * m.m[k][j];
            mtm.m[i][j] = sum;
        }
    Mat3d eigenvectors;
    double values[3];
    symmetricEigen(mtm, eigenvectors, values);
    // Largest singular value first.
    int order[3] = {0, 1, 2};
    std::sort(order, order + 3, [&values](int a, int b) { return values[a] > values[b]; });
    for (int i = 0; i < 3; ++i) {
        setColumn(v, i, column(eigenvectors, order[i]));
        sigma[i] = std::sqrt(std::max(0.0, values[order[i]]));
    }
    if (determinant(v) < 0.0) setColumn(v, 2, scaled(column(v, 2), -1.0));

    // U's columns are M v_i / sigma_i where sigma_i is not negligible;
    // the rest complete an orthonormal basis.
    const double negligible = std::max(sigma[0], 1e-300) * 1e-12;
    Vec3d columns[3];
    int known = 0;
    for (int i = 0; i < 3 && sigma[i] > negligible; ++i, ++known) {
        const Vec3d vi = column(v, i);
        Vec3d ui{dot(Vec3d{m.m[0][0], m.m[0][1], m.m[0][2]}, vi), dot(Vec3d{m.m[1][0], m.m[1][1], m.m[1][2]}, vi),
                 dot(Vec3d{m.m[2][0], m.m[2][1], m.m[2][2]}, vi)};
        for (int j = 0; j < i; ++j) ui = minus(ui, scaled(columns[j], dot(ui, columns[j])));
        columns[i] = normalised(ui);
    }
    if (known == 0) columns[0] = Vec3d{1, 0, 0};
    if (known <= 1) columns[1] = perpendicular(columns[0]);
    if (known <= 2) columns[2] = cross(columns[0], columns[1]);
    for (int i = 0; i < 3; ++i) setColumn(u, i, columns[i]);
    if (determinant(u) < 0.0) {
        setColumn(u, 2, scaled(columns[2], -1.0));
        sigma[2] = -sigma[2];
    }
}

bool allFinite(const Mat3& r, const Vec3& t) {
    for (float value : r.m)
        if (!std::isfinite(value)) return false;
    return std::isfinite(t.x) && std::isfinite(t.y) && std::isfinite(t.z);
}

}  // namespace

Vec3d toGltfAxes(const Vec3& v) { return {v.y, -static_cast<double>(v.z), -static_cast<double>(v.x)}; }

NodeTransform gltfNodeTransform(const Mat3& rotation, const Vec3& translation, double scaleFactor) {
    NodeTransform out;
    if (!allFinite(rotation, translation)) {
        out.finite = false;
        return out;
    }
    out.translation = scaled(toGltfAxes(translation), scaleFactor);
    if (!std::isfinite(out.translation.x) || !std::isfinite(out.translation.y) ||
        !std::isfinite(out.translation.z)) {
        NodeTransform identity;
        identity.finite = false;
        return identity;
    }
    const Mat3d m = toGltfMatrix(rotation);
    if (isRotation(m)) {
        out.rotation = quaternionOf(m);
        return out;
    }
    Mat3d u, v;
    double sigma[3];
    singularValueDecomposition(m, u, sigma, v);
    out.rotation = quaternionOf(u);
    out.scale = {sigma[0], sigma[1], sigma[2]};
    out.split = true;
    out.shear = quaternionOf(transposed(v));
    return out;
}

}  // namespace mevlo
