#include "convert/tree_walk.h"

#include <limits>

#include "lod/control_nodes.h"
#include "lod/primitive_nodes.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"

namespace mevlo {

TreeWalkSink::~TreeWalkSink() = default;
int64_t TreeWalkSink::fanFaceLimit() const { return std::numeric_limits<int64_t>::max(); }
void TreeWalkSink::containerChildrenDone(const SubTreeNode&, int32_t) {}
void TreeWalkSink::closeContainer(const SubTreeNode&, int32_t) {}
bool TreeWalkSink::primitiveHolder(int32_t, const LodNode&) { return true; }
bool TreeWalkSink::pointOrLinePrimitive(int32_t, const Primitive&, const LodNode&) { return true; }
void TreeWalkSink::enterSwitch(const SwitchNode&) {}
void TreeWalkSink::enterBranch(const SwitchNode&, int32_t) {}
void TreeWalkSink::leaveBranch(const SwitchNode&, int32_t) {}
void TreeWalkSink::leaveSwitch(const SwitchNode&) {}
void TreeWalkSink::slot(const SlotNode&) {}

bool isPointOrLinePrimitive(const Primitive& primitive) {
    const int32_t type = primitive.type();
    return type == 0 || type == 1;
}

bool opensMeshInChain(int32_t code) {
    return code == NODE_SUBTREE || code == NODE_DOF || code == NODE_TRANSLATOR || code == NODE_SCALE ||
           code == NODE_XDOF;
}

namespace {

// A fan's outcome depends only on its index block and on the size of the
// mesh it goes into. Records that share one large block (many nodes naming
// one primitive) are fanned once per mesh size; later uses replay the kept
// faces, so the work stays bounded by the file.
struct FanKey {
    const uint8_t* block;
    int32_t count;
    int32_t meshVertices;
    bool operator<(const FanKey& other) const {
        return std::tie(block, count, meshVertices) < std::tie(other.block, other.count, other.meshVertices);
    }
};

// The faces (0, i+1, i+2) of an index block that name vertices the mesh
// has, in order, and how many were left out. Indices are compared in the
// 16 bits the file keeps of them. The fan stops after `limit` + 1 kept faces.
void buildFan(const Int32Table& indices, int32_t meshVertices, int64_t limit, FanOutcome& outcome) {
    const auto low16 = [&indices](int32_t i) { return static_cast<uint16_t>(indices.rawWord(i, 0)); };
    const uint16_t first = low16(0);
    const int32_t n = indices.count();
    if (first >= meshVertices) {  // every face names the first vertex
        outcome.dropped += n - 2;
        return;
    }
    for (int32_t i = 0; i + 2 < n; ++i) {
        const FanFace face{first, low16(i + 1), low16(i + 2), i + 1};
        if (face.b >= meshVertices || face.c >= meshVertices) {
            ++outcome.dropped;
        } else {
            outcome.kept.push_back(face);
            if (static_cast<int64_t>(outcome.kept.size()) > limit) return;
        }
    }
}

class Walk {
public:
    explicit Walk(TreeWalkSink& sink) : sink_(sink), faceLimit_(sink.fanFaceLimit()) {}

    bool start(const LodNode* node) {
        if (!node) return true;
        if (isGeometryNodeType(node->type)) return geometry(static_cast<const SubTreeNode&>(*node), true);
        return chain(node, -1);
    }

private:
    bool geometry(const SubTreeNode& node, bool walkOwnSiblings) {
        const int32_t mesh = static_cast<int32_t>(meshVertices_.size());
        meshVertices_.push_back(node.vertexCount);
        if (!sink_.openContainer(node, mesh)) return false;
        if (!chain(node.firstChild.get(), mesh)) return false;
        sink_.containerChildrenDone(node, mesh);
        if (walkOwnSiblings && !chain(node.next.get(), mesh)) return false;
        sink_.closeContainer(node, mesh);
        return true;
    }

    bool chain(const LodNode* head, int32_t mesh) {
        for (const LodNode* node = head; node; node = node->next.get()) {
            if (!one(*node, mesh)) return false;
        }
        return true;
    }

    // Every present branch of a Switch or XSwitch, whatever the switch
    // state: a geometry head opens its own mesh and takes its chain with it;
    // any other head has its chain walked into the current mesh.
    bool switchBranches(const SwitchNode& node, int32_t mesh) {
        sink_.enterSwitch(node);
        const int32_t held = static_cast<int32_t>(node.branches.size());
        for (int32_t i = 0; i < held; ++i) {
            const LodNode* head = node.branch(i);
            if (!head) continue;
            sink_.enterBranch(node, i);
            const bool ok = isGeometryNodeType(head->type) ? geometry(static_cast<const SubTreeNode&>(*head), true)
                                                           : chain(head, mesh);
            if (!ok) return false;
            sink_.leaveBranch(node, i);
        }
        sink_.leaveSwitch(node);
        return true;
    }

    bool one(const LodNode& node, int32_t mesh) {
        if (opensMeshInChain(node.type)) return geometry(static_cast<const SubTreeNode&>(node), false);
        switch (node.type) {
            case NODE_SWITCH:
            case NODE_XSWITCH:
                return switchBranches(static_cast<const SwitchNode&>(node), mesh);
            case NODE_SPLIT: {
                const auto& split = static_cast<const SplitNode&>(node);
                return chain(split.branchA.get(), mesh) && chain(split.branchB.get(), mesh);
            }
            case NODE_PT:
            case NODE_CP:
                if (mesh >= 0 && !sink_.primitiveHolder(mesh, node)) return false;
                return primitive(static_cast<const SinglePrimitiveNode&>(node).primitive(), mesh, node);
            case NODE_LP: {
                const auto& pair = static_cast<const DblPolyNode&>(node);
                if (mesh >= 0 && !sink_.primitiveHolder(mesh, node)) return false;
                return primitive(pair.sideA(), mesh, node) && primitive(pair.sideB(), mesh, node);
            }
            case NODE_SLOT:
                sink_.slot(static_cast<const SlotNode&>(node));
                return true;
            default:
                // Root, SpecialX, LitString, RCNode: nothing, and nothing below.
                return true;
        }
    }

    bool primitive(const Primitive* primitive, int32_t mesh, const LodNode& holder) {
        if (!primitive || mesh < 0) return true;
        const Int32Table indices = primitive->vertexIndices();
        if (!indices.present()) return true;
        if (indices.count() >= 3 && !fan(*primitive, indices, mesh, holder)) return false;
        return !isPointOrLinePrimitive(*primitive) || sink_.pointOrLinePrimitive(mesh, *primitive, holder);
    }

    bool fan(const Primitive& primitive, const Int32Table& indices, int32_t mesh, const LodNode& holder) {
        const int32_t meshVertices = meshVertices_[static_cast<size_t>(mesh)];
        if (indices.count() < kFanMemoMinIndices) {
            scratch_.kept.clear();
            scratch_.dropped = 0;
            buildFan(indices, meshVertices, faceLimit_, scratch_);
            return sink_.polygonFan(mesh, primitive, holder, scratch_);
        }
        const FanKey key{indices.bytes(), indices.count(), meshVertices};
        auto found = memo_.find(key);
        if (found == memo_.end()) {
            found = memo_.emplace(key, FanOutcome{}).first;
            buildFan(indices, meshVertices, faceLimit_, found->second);
        }
        return sink_.polygonFan(mesh, primitive, holder, found->second);
    }

    TreeWalkSink& sink_;
    const int64_t faceLimit_;
    // Vertex count of every opened mesh, by mesh number.
    std::vector<int32_t> meshVertices_;
    std::map<FanKey, FanOutcome> memo_;
    FanOutcome scratch_;
};

}  // namespace

bool walkTree(const LodNode* start, TreeWalkSink& sink) { return Walk(sink).start(start); }

}  // namespace mevlo
