#include "info/conversion_facts.h"

#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "common/axes.h"
#include "common/mesh_name.h"
#include "convert/tree_walk.h"
#include "lod/primitive.h"
#include "lod/node_type.h"
#include "lod/subtree_node.h"
#include "out3ds/convert.h"
#include "out3ds/output_positions.h"
#include "out3ds/scene.h"

namespace mevlo {

namespace {

bool isFinite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void extend(Bounds& bounds, const Vec3& position) {
    // A bound of -0 reads as 0.
    const Vec3 v{position.x + 0.0f, position.y + 0.0f, position.z + 0.0f};
    if (!bounds.present) {
        bounds = Bounds{true, v, v};
        return;
    }
    // Positions are finite here, so plain comparisons do.
    const auto lower = [](float a, float b) { return b < a ? b : a; };
    const auto upper = [](float a, float b) { return b > a ? b : a; };
    bounds.min = Vec3{lower(bounds.min.x, v.x), lower(bounds.min.y, v.y), lower(bounds.min.z, v.z)};
    bounds.max = Vec3{upper(bounds.max.x, v.x), upper(bounds.max.y, v.y), upper(bounds.max.z, v.z)};
}

class FactsSink final : public TreeWalkSink {
public:
    // The 3DS conversion runs alongside for its capacity checks; its faces
    // are counted, not kept.
    explicit FactsSink(ModelFacts& facts)
        : facts_(facts), scene_(Scene3ds::countingFacesOnly()), threeDs_(scene_) {}

    bool openContainer(const SubTreeNode& node, int32_t mesh) override {
        ++facts_.containers;
        if (threeDsAlive_ && !threeDs_.openContainer(node, mesh)) stopThreeDs();
        MeshFact fact;
        if (node.vertexCount > 0) {
            fact.name = meshName(facts_.meshes);
            fact.vertices = node.vertexCount;
            ++facts_.meshes;
            facts_.vertices += node.vertexCount;
            addBounds(node);
        }
        meshes_.push_back(fact);
        return true;
    }

    bool polygonFan(int32_t mesh, const Primitive& primitive, const LodNode& holder, const FanOutcome& fan) override {
        const auto kept = static_cast<int64_t>(fan.kept.size());
        facts_.triangles += kept;
        facts_.droppedFaces += fan.dropped;
        meshes_[static_cast<size_t>(mesh)].triangles += kept;
        if (!isPointOrLinePrimitive(primitive)) ++facts_.polygons;
        if (threeDsAlive_ && !threeDs_.polygonFan(mesh, primitive, holder, fan)) stopThreeDs();
        return true;
    }

    // Points and segments are counted when they name vertices their
    // container has, as the export keeps them.
    // Records that share one large index block are counted once per mesh
    // size, as the walk fans them once: the work stays bounded by the file.
    bool pointOrLinePrimitive(int32_t mesh, const Primitive& primitive, const LodNode&) override {
        const Int32Table indices = primitive.vertexIndices();
        const int32_t type = primitive.type();
        const int64_t vertices = meshes_[static_cast<size_t>(mesh)].vertices;
        const IndexUse use{indices.bytes(), indices.count(), vertices, type};
        const bool memo = indices.count() >= kFanMemoMinIndices;
        int64_t kept = 0;
        const auto found = memo ? keptByBlock_.find(use) : keptByBlock_.end();
        if (found != keptByBlock_.end()) {
            kept = found->second;
        } else {
            const auto inRange = [&](int32_t i) { return static_cast<uint16_t>(indices.rawWord(i, 0)) < vertices; };
            for (int32_t i = 0; i < indices.count(); ++i) {
                if (type == 0 && inRange(i)) ++kept;
                if (type == 1 && i > 0 && inRange(i - 1) && inRange(i)) ++kept;
            }
            if (memo) keptByBlock_.emplace(use, kept);
        }
        (type == 0 ? facts_.points : facts_.lineSegments) += kept;
        return true;
    }

    // The largest meshes, once every mesh is complete (the start node's
    // siblings add to its mesh after its children). Ties go to the first.
    void finish() {
        MeshFact& byVertices = facts_.largestByVertices;
        MeshFact& byTriangles = facts_.largestByTriangles;
        for (const MeshFact& fact : meshes_) {
            if (fact.name.empty()) continue;
            if (byVertices.name.empty() || fact.vertices > byVertices.vertices) byVertices = fact;
            if (byTriangles.name.empty() || fact.triangles > byTriangles.triangles) byTriangles = fact;
        }
    }

private:
    void stopThreeDs() {
        threeDsAlive_ = false;
        facts_.tooLarge = threeDs_.overflow;
    }

    // The positions the conversion makes of the container's vertices, in
    // both output axes. Ancestor transforms are bounded as in the
    // conversion; past the bound the remaining meshes add no bounds.
    void addBounds(const SubTreeNode& node) {
        // The same table under the same transforms gives the same positions:
        // containers that share a table add its bounds once.
        const LodNode* transformAbove = node.owner;
        while (transformAbove && transformAbove->type != NODE_DOF && transformAbove->type != NODE_XDOF)
            transformAbove = transformAbove->owner;
        const PositionSource source{node.type == NODE_DOF ? &node : nullptr, node.vertices.bytes(), node.vertexCount,
                                    transformAbove};
        if (!boundedSources_.insert(source).second) return;
        // While the 3DS conversion runs, it has counted these transforms.
        if (!threeDsAlive_) {
            transforms_ += countTransformingAncestors(node) * node.vertexCount;
            if (transforms_ > kMaxAncestorTransforms) return;
        }
        positions_.resize(static_cast<size_t>(node.vertexCount));
        produceTopFramePositions(node, 0, node.vertexCount, positions_.data());
        for (const Vec3& v : positions_) extendBoth(v);
    }

    void extendBoth(const Vec3& v) {
        if (!isFinite(v)) return;
        extend(facts_.bounds3ds, to3dsAxes(v));
        extend(facts_.boundsGltf, toGltfAxesFloat(v));
    }

    // An index block used as points or a line in a mesh of a vertex count.
    struct IndexUse {
        const uint8_t* block;
        int32_t count;
        int64_t vertices;
        int32_t type;
        bool operator<(const IndexUse& o) const {
            return std::tie(block, count, vertices, type) < std::tie(o.block, o.count, o.vertices, o.type);
        }
    };
    // What a container's positions depend on: its own transform (a DOF's
    // lookups apply it), its table, and the nearest transform above it
    // (which fixes every one further up).
    struct PositionSource {
        const LodNode* ownTransform;
        const uint8_t* table;
        int32_t count;
        const LodNode* transformAbove;
        bool operator<(const PositionSource& o) const {
            return std::tie(ownTransform, table, count, transformAbove) <
                   std::tie(o.ownTransform, o.table, o.count, o.transformAbove);
        }
    };

    ModelFacts& facts_;
    std::map<IndexUse, int64_t> keptByBlock_;
    std::set<PositionSource> boundedSources_;
    Scene3ds scene_;
    ConversionState threeDs_;
    bool threeDsAlive_ = true;
    std::vector<MeshFact> meshes_;  // by walk mesh number
    std::vector<Vec3> positions_;
    int64_t transforms_ = 0;
};

}  // namespace

void collectConversionFacts(const LodNode* start, ModelFacts& facts) {
    FactsSink sink(facts);
    walkTree(start, sink);
    sink.finish();
}

}  // namespace mevlo
