#include "lod/listing/listing_size.h"

#include <utility>
#include <vector>

#include "lod/control_nodes.h"
#include "lod/primitive_nodes.h"
#include "lod/subtree_node.h"

namespace mevlo {

namespace {

// The shortest printed entry: a colour "0 "; a vector takes far more.
constexpr int64_t kBytesPerEntry = 2;
// The shortest line apart from its indentation: "SPLITB\n" and the like.
constexpr int64_t kBytesPerLine = 4;

int64_t primitiveEntries(const Primitive* primitive) {
    if (!primitive) return 0;
    return primitive->blockEntries();
}

struct NodeShape {
    int64_t lines = 1;
    int64_t entries = 0;
};

NodeShape shapeOf(const LodNode& node) {
    switch (node.type) {
        case NODE_SUBTREE:
        case NODE_DOF:
        case NODE_TRANSLATOR:
        case NODE_SCALE:
        case NODE_XDOF:
        case NODE_SPECIALX: return {2, 0};
        case NODE_ROOT: return {4 + static_cast<const RootNode&>(node).textureCount, 0};
        case NODE_SPLIT: return {3, 0};
        case NODE_SWITCH:
        case NODE_XSWITCH: {  // opening and end lines, a separator per further branch
            const int32_t branches = static_cast<const SwitchNode&>(node).branchCount;
            return {1 + (branches > 0 ? branches : 1), 0};
        }
        case NODE_PT:
        case NODE_CP: return {1, primitiveEntries(static_cast<const SinglePrimitiveNode&>(node).primitive())};
        case NODE_LP: {
            const auto& pair = static_cast<const DblPolyNode&>(node);
            return {1, primitiveEntries(pair.sideA()) + primitiveEntries(pair.sideB())};
        }
        default: return {0, 0};
    }
}

}  // namespace

int64_t estimateListingBytes(const LodNode* head) {
    int64_t total = 0;
    std::vector<std::pair<const LodNode*, int64_t>> pending{{head, 0}};
    std::vector<const LodNode*> children;
    while (!pending.empty()) {
        const auto [chain, depth] = pending.back();
        pending.pop_back();
        for (const LodNode* node = chain; node; node = node->next.get()) {
            const NodeShape shape = shapeOf(*node);
            total += shape.lines * (2 * depth + kBytesPerLine) + shape.entries * kBytesPerEntry;
            children.clear();
            node->appendChildChains(children);
            for (const LodNode* child : children)
                if (child) pending.emplace_back(child, depth + 1);
        }
    }
    return total;
}

}  // namespace mevlo
