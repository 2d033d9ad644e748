// LOD matrices as glTF translation, rotation, scale and shear rotation: the
// parts, multiplied back, give the matrix in glTF axes for every rank,
// reflection and shear, and the export writes them as valid TRS nodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "common/axes.h"
#include "outgltf/gltf_export.h"
#include "outgltf/node_transform.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;

namespace {

using Dense = std::array<std::array<double, 3>, 3>;

Dense product(const Dense& a, const Dense& b) {
    Dense out{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) out[i][j] += a[i][k] * b[k][j];
    return out;
}

Dense rotationOf(const Quaternion& q) {
    return Dense{{{1 - 2 * (q.y * q.y + q.z * q.z), 2 * (q.x * q.y - q.z * q.w), 2 * (q.x * q.z + q.y * q.w)},
                  {2 * (q.x * q.y + q.z * q.w), 1 - 2 * (q.x * q.x + q.z * q.z), 2 * (q.y * q.z - q.x * q.w)},
                  {2 * (q.x * q.z - q.y * q.w), 2 * (q.y * q.z + q.x * q.w), 1 - 2 * (q.x * q.x + q.y * q.y)}}};
}

Dense diagonal(const Vec3d& s) { return Dense{{{s.x, 0, 0}, {0, s.y, 0}, {0, 0, s.z}}}; }

double quaternionLength(const Quaternion& q) { return std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w); }

// A M A^T, A's columns the glTF forms of the LOD axes.
Dense inGltfAxes(const Mat3& m) {
    Dense a{};
    for (int k = 0; k < 3; ++k) {
        const Vec3d c = toGltfAxes(Vec3d{k == 0 ? 1.0 : 0.0, k == 1 ? 1.0 : 0.0, k == 2 ? 1.0 : 0.0});
        a[0][k] = c.x;
        a[1][k] = c.y;
        a[2][k] = c.z;
    }
    Dense lod{}, aT{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            lod[i][j] = m.at(i, j);
            aT[i][j] = a[j][i];
        }
    return product(product(a, lod), aT);
}

Mat3 fromRows(const Dense& rows) {
    Mat3 m;
    for (int i = 0; i < 9; ++i) m.setFileValue(i, static_cast<float>(rows[i / 3][i % 3]));
    return m;
}

// The largest difference between rotation * scale * shear and the matrix
// in glTF axes, as a fraction of its largest entry (absolute for a zero
// matrix); also fails the test on a part that is not valid TRS.
double recompositionError(const Mat3& m, const Vec3d& rotationScale, const Quaternion& rotation,
                          const Quaternion& shear) {
    EXPECT_NEAR(quaternionLength(rotation), 1.0, 1e-12);
    EXPECT_NEAR(quaternionLength(shear), 1.0, 1e-12);
    EXPECT_TRUE(std::isfinite(rotationScale.x) && std::isfinite(rotationScale.y) && std::isfinite(rotationScale.z));
    const Dense made = product(product(rotationOf(rotation), diagonal(rotationScale)), rotationOf(shear));
    const Dense wanted = inGltfAxes(m);
    double largest = 0.0, error = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            largest = std::max(largest, std::fabs(wanted[i][j]));
            error = std::max(error, std::fabs(made[i][j] - wanted[i][j]));
        }
    return largest > 0.0 ? error / largest : error;
}

double decompositionError(const Mat3& m) {
    const NodeTransform t = gltfNodeTransform(m, Vec3{}, 1.0);
    EXPECT_TRUE(t.finite);
    return recompositionError(m, t.scale, t.rotation, t.split ? t.shear : Quaternion{});
}

// Portable random numbers: the standard distributions differ between
// libraries, the engine does not.
class Numbers {
public:
    double uniform() { return static_cast<double>(engine_() >> 11) * 0x1p-53 * 2.0 - 1.0; }  // [-1, 1)
    int below(int n) { return static_cast<int>(engine_() % static_cast<uint64_t>(n)); }
    Dense rotation() {
        Quaternion q{uniform(), uniform(), uniform(), uniform()};
        const double n = quaternionLength(q);
        if (n < 1e-3) return rotation();
        return rotationOf(Quaternion{q.x / n, q.y / n, q.z / n, q.w / n});
    }

private:
    std::mt19937_64 engine_{20261208};
};

TEST(NodeTransform, MatricesFlattenedAlongASlantedDirectionComeBackExactly) {
    // The second row is twice the first: rank 2, and the lost direction is
    // no axis. Rank 1 and 0 as well.
    for (const Dense& rows : {Dense{{{1, 2, 3}, {2, 4, 6}, {1, 0, 1}}}, Dense{{{1, 2, 3}, {2, 4, 6}, {-3, -6, -9}}},
                              Dense{{{0, 0, 0}, {0.5, -0.0, 1}, {2.5, -0.25, 2}}}, Dense{{{1, 0, 0}, {0, 1, 0}, {0, 0, 0}}},
                              Dense{}}) {
        const Mat3 m = fromRows(rows);
        EXPECT_LE(decompositionError(m), 1e-12) << rows[0][0] << " " << rows[0][1] << " " << rows[0][2];
    }
}

TEST(NodeTransform, RotationsTimesScalesShearsAndReflectionsComeBackExactly) {
    Numbers random;
    // 1.000004 with 1: nearly a rotation, but not to a millionth.
    const double scales[] = {0.0, 1.0, -1.0, 1.000004, 0.001, 2.5, -40.0, 1e-7, 1e6};
    for (int i = 0; i < 2000; ++i) {
        const Vec3d s{scales[random.below(9)], scales[random.below(9)], scales[random.below(9)]};
        Dense shear{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
        if (i % 2) shear[random.below(3)][random.below(3)] += 3.0 * random.uniform();
        const Dense rows = product(product(random.rotation(), diagonal(s)), product(shear, random.rotation()));
        const Mat3 m = fromRows(rows);
        ASSERT_LE(decompositionError(m), 1e-6) << "case " << i;
    }
}

TEST(NodeTransform, RandomMatricesOfEveryRankAndMagnitudeComeBackExactly) {
    Numbers random;
    for (int i = 0; i < 20000; ++i) {
        Dense rows{};
        for (auto& row : rows)
            for (double& v : row) v = random.below(5) == 0 ? 0.0 : random.uniform() * std::pow(10.0, random.below(9) - 4);
        // Rank 2 or 1: a row made of the others (rounded to float, so only
        // nearly dependent, the hard case).
        const int kind = random.below(4);
        if (kind >= 1) rows[2] = {rows[0][0] * 2 - rows[1][0], rows[0][1] * 2 - rows[1][1], rows[0][2] * 2 - rows[1][2]};
        if (kind >= 2) rows[1] = {rows[0][0] * -0.3, rows[0][1] * -0.3, rows[0][2] * -0.3};
        if (kind == 3) rows[2] = {rows[0][0] * 7, rows[0][1] * 7, rows[0][2] * 7};
        const Mat3 m = fromRows(rows);
        ASSERT_LE(decompositionError(m), 1e-6) << "case " << i;
    }
}

const GltfNode& nodeNamed(const GltfDocument& document, const std::string& name) {
    for (const GltfNode& node : document.nodes)
        if (node.name == name) return node;
    ADD_FAILURE() << "no node " << name;
    return document.nodes.front();
}

TEST(NodeTransform, ExportWritesDofXdofAndSlotMatricesAsValidTrsNodesThatMultiplyBack) {
    const Matrix flattened = {1, 2, 3, 2, 4, 6, 1, 0, 1};
    const std::vector<Vec3> triangle = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    Node slotNode = slot(5, flattened, {1, 1, 1});
    Node top = root({}, {dof(flattened, {1, 2, 3}, triangle, {cp(prim(2, {0, 1, 2}))}),
                         xdof(flattened, {0, 0, 0}, triangle, {subTree(triangle, {cp(prim(2, {0, 1, 2}))})}),
                         slotNode});
    const Loaded loaded = load(buildLod(top));
    GltfDocument document;
    GltfExportReport report;
    ASSERT_TRUE(buildGltf(loaded.root(), GltfExportOptions{}, document, report));
    Mat3 m;
    for (int i = 0; i < 9; ++i) m.setFileValue(i, flattened[static_cast<size_t>(i)]);
    const GltfNode& moved = nodeNamed(document, "DOF 0");
    EXPECT_EQ(moved.translation.x, 2.0);
    EXPECT_EQ(moved.translation.y, -3.0);
    EXPECT_EQ(moved.translation.z, -1.0);
    for (const std::string name : {"DOF 0", "XDOF 0 frame", "Slot 5"}) {
        const GltfNode& node = nodeNamed(document, name);
        const GltfNode& shear = nodeNamed(document, name + " shear");
        ASSERT_TRUE(node.hasTransform && shear.hasTransform);
        ASSERT_EQ(node.children.size(), 1u);
        EXPECT_EQ(&document.nodes[static_cast<size_t>(node.children[0])], &shear);
        EXPECT_EQ(shear.translation.x, 0.0);
        EXPECT_EQ(shear.scale.x * shear.scale.y * shear.scale.z, 1.0);
        EXPECT_LE(recompositionError(m, node.scale, node.rotation, shear.rotation), 1e-12) << name;
    }
}

}  // namespace
