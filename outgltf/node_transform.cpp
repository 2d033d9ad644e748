#include "outgltf/node_transform.h"

#include <algorithm>
#include <cmath>

#include "common/axes.h"

namespace mevlo {

namespace {

// Row-major 3x3 in double.
struct Mat3d {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

Vec3d column(const Mat3d& a, int c) { return {a.m[0][c], a.m[1][c], a.m[2][c]}; }
void setColumn(Mat3d& a, int c, const Vec3d& v) {
    a.m[0][c] = v.x;
    a.m[1][c] = v.y;
    a.m[2][c] = v.z;
}

// A R A^T. The rows of R A^T are R's rows in glTF axes, and the columns of
// A (R A^T) are its columns in glTF axes; neither step rounds.
Mat3d toGltfMatrix(const Mat3& r) {
    Vec3d rows[3];
    for (int k = 0; k < 3; ++k) rows[k] = toGltfAxes(Vec3{r.at(k, 0), r.at(k, 1), r.at(k, 2)});
    Mat3d out;
    setColumn(out, 0, toGltfAxes(Vec3d{rows[0].x, rows[1].x, rows[2].x}));
    setColumn(out, 1, toGltfAxes(Vec3d{rows[0].y, rows[1].y, rows[2].y}));
    setColumn(out, 2, toGltfAxes(Vec3d{rows[0].z, rows[1].z, rows[2].z}));
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

// The rotation matrix of a unit quaternion.
Mat3d matrixOf(const Quaternion& q) {
    Mat3d r;
    r.m[0][0] = 1 - 2 * (q.y * q.y + q.z * q.z);
    r.m[0][1] = 2 * (q.x * q.y - q.z * q.w);
    r.m[0][2] = 2 * (q.x * q.z + q.y * q.w);
    r.m[1][0] = 2 * (q.x * q.y + q.z * q.w);
    r.m[1][1] = 1 - 2 * (q.x * q.x + q.z * q.z);
    r.m[1][2] = 2 * (q.y * q.z - q.x * q.w);
    r.m[2][0] = 2 * (q.x * q.z - q.y * q.w);
    r.m[2][1] = 2 * (q.y * q.z + q.x * q.w);
    r.m[2][2] = 1 - 2 * (q.x * q.x + q.y * q.y);
    return r;
}

double largestEntry(const Mat3d& a) {
    double largest = 0.0;
    for (const auto& row : a.m)
        for (double value : row) largest = std::max(largest, std::fabs(value));
    return largest;
}

double largestDifference(const Mat3d& a, const Mat3d& b) {
    double largest = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) largest = std::max(largest, std::fabs(a.m[i][j] - b.m[i][j]));
    return largest;
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
Vec3d times(const Mat3d& a, const Vec3d& v) {
    return {dot(Vec3d{a.m[0][0], a.m[0][1], a.m[0][2]}, v), dot(Vec3d{a.m[1][0], a.m[1][1], a.m[1][2]}, v),
            dot(Vec3d{a.m[2][0], a.m[2][1], a.m[2][2]}, v)};
}

// A unit vector perpendicular to the unit vector u.
Vec3d perpendicular(const Vec3d& u) {
    const Vec3d axis = std::fabs(u.x) < 0.6 ? Vec3d{1, 0, 0} : (std::fabs(u.y) < 0.6 ? Vec3d{0, 1, 0} : Vec3d{0, 0, 1});
    return normalised(minus(axis, scaled(u, dot(axis, u))));
}

Mat3d transposed(const Mat3d& a) {
    Mat3d t;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t.m[i][j] = a.m[j][i];
    return t;
}

// One-sided Jacobi: plane rotations, gathered in v, turn the columns of w
// until every two of them are orthogonal. Working on the matrix itself
// rather than on M^T M keeps a zero singular value at the rounding of the
// entries (M^T M would leave its square root, about 1e-8 of the largest).
void orthogonaliseColumns(Mat3d& w, Mat3d& v) {
    constexpr double kOrthogonal = 1e-15;
    v = Mat3d{};
    for (int sweep = 0; sweep < 64; ++sweep) {
        bool rotated = false;
        for (int p = 0; p < 2; ++p) {
            for (int q = p + 1; q < 3; ++q) {
                double alpha = 0.0, beta = 0.0, gamma = 0.0;
                for (int k = 0; k < 3; ++k) {
                    alpha += w.m[k][p] * w.m[k][p];
                    beta += w.m[k][q] * w.m[k][q];
                    gamma += w.m[k][p] * w.m[k][q];
                }
                if (!(std::fabs(gamma) > kOrthogonal * std::sqrt(alpha) * std::sqrt(beta))) continue;
                const double zeta = (beta - alpha) / (2.0 * gamma);
                const double t = (zeta >= 0.0 ? 1.0 : -1.0) / (std::fabs(zeta) + std::sqrt(1.0 + zeta * zeta));
                const double c = 1.0 / std::sqrt(1.0 + t * t);
                const double s = c * t;
                for (Mat3d* a : {&w, &v}) {
                    for (int k = 0; k < 3; ++k) {
                        const double ap = a->m[k][p], aq = a->m[k][q];
                        a->m[k][p] = c * ap - s * aq;
                        a->m[k][q] = s * ap + c * aq;
                    }
                }
                rotated = true;
            }
        }
        if (!rotated) break;
    }
}

// M = U diag(sigma) V^T with U and V proper rotations, largest sigma first.
void singularValueDecomposition(const Mat3d& m, Mat3d& u, double sigma[3], Mat3d& v) {
    Mat3d w = m;
    Mat3d rotations;
    orthogonaliseColumns(w, rotations);
    double lengths[3];  // squared
    for (int i = 0; i < 3; ++i) {
        double sum = 0.0;
        for (int k = 0; k < 3; ++k) sum += w.m[k][i] * w.m[k][i];
        lengths[i] = sum;
    }
    int order[3] = {0, 1, 2};
    std::sort(order, order + 3, [&lengths](int a, int b) { return lengths[a] > lengths[b]; });
    for (int i = 0; i < 3; ++i) {
        setColumn(v, i, column(rotations, order[i]));
        sigma[i] = std::sqrt(std::max(0.0, lengths[order[i]]));
    }
    if (determinant(v) < 0.0) setColumn(v, 2, scaled(column(v, 2), -1.0));

    // U's columns are M v_i / sigma_i where sigma_i is not negligible (the
    // rotations left M v_i orthogonal, so subtracting what lies along the
    // columns before only takes rounding away); the rest complete an
    // orthonormal basis, and their sigma stays as small as it came.
    const double negligible = std::max(sigma[0], 1e-300) * 1e-12;
    Vec3d columns[3];
    int known = 0;
    for (; known < 3 && sigma[known] > negligible; ++known) {
        Vec3d ui = times(m, column(v, known));
        for (int j = 0; j < known; ++j) ui = minus(ui, scaled(columns[j], dot(ui, columns[j])));
        columns[known] = normalised(ui);
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
    // A rotation as floats is off by their rounding: it stays one node when
    // its quaternion is within half a millionth of the largest entry.
    if (isRotation(m)) {
        const Quaternion q = quaternionOf(m);
        if (largestDifference(matrixOf(q), m) <= 0.5e-6 * largestEntry(m)) {
            out.rotation = q;
            return out;
        }
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
