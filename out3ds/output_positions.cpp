#include "out3ds/output_positions.h"

#include "common/axes.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"

namespace mevlo {

int64_t countTransformingAncestors(const SubTreeNode& node) {
    int64_t count = 0;
    for (const LodNode* a = node.owner; a; a = a->owner)
        if (a->type == NODE_DOF || a->type == NODE_XDOF) ++count;
    return count;
}

void applyAncestorTransforms(const SubTreeNode& node, Vec3* vertices, int32_t count) {
    for (const LodNode* ancestor = node.owner; ancestor; ancestor = ancestor->owner) {
        const Mat3* rotation = nullptr;
        const Vec3* translation = nullptr;
        if (ancestor->type == NODE_DOF) {
            const auto* dof = static_cast<const DofNode*>(ancestor);
            rotation = &dof->rotation;
            translation = &dof->translation;
        } else if (ancestor->type == NODE_XDOF) {
            const auto* xdof = static_cast<const XDofNode*>(ancestor);
            rotation = &xdof->rotation;
            translation = &xdof->translation;
        } else {
            continue;
        }
        for (int32_t i = 0; i < count; ++i) vertices[i] = transformPoint(*rotation, *translation, vertices[i]);
    }
}

void produceTopFramePositions(const SubTreeNode& node, int32_t first, int32_t count, Vec3* out) {
    for (int32_t i = 0; i < count; ++i) {
        out[i] = Vec3{};
        node.getVertex(first + i, out[i]);
    }
    applyAncestorTransforms(node, out, count);
}

void produceOutputPositions(const SubTreeNode& node, int32_t first, int32_t count, Vec3* out) {
    produceTopFramePositions(node, first, count, out);
    for (int32_t i = 0; i < count; ++i) out[i] = to3dsAxes(out[i]);
}

}  // namespace mevlo
