#include "lod/serialize/tree_layout.h"

#include "lod/control_nodes.h"
#include "lod/primitive_nodes.h"
#include "lod/serialize/record_writing.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"

namespace mevlo {

namespace {

// Record lengths in words, common head included.
constexpr int64_t kHeadWords = 2;
constexpr int64_t kSubTreeWords = kHeadWords + 7;
constexpr int64_t kRootWords = kSubTreeWords + 3;
constexpr int64_t kDofWords = kSubTreeWords + 1 + 9 + 3;
constexpr int64_t kTranslatorWords = kSubTreeWords + 1 + 4 + 1 + 3;
constexpr int64_t kScaleWords = kTranslatorWords + 3;
constexpr int64_t kXDofWords = kSubTreeWords + 1 + 4 + 1 + 9 + 3;
constexpr int64_t kSlotWords = kHeadWords + 9 + 3 + 1;
constexpr int64_t kSwitchWords = kHeadWords + 3;
constexpr int64_t kSplitWords = kHeadWords + 4 + 2;
constexpr int64_t kSpecialWords = kHeadWords + 4;
constexpr int64_t kSinglePrimitiveNodeWords = kHeadWords + 1;
constexpr int64_t kDblPolyWords = kHeadWords + 2;
constexpr int64_t kRcWords = kHeadWords + 1 + 8;

// The class of a node: the factory stores the code it built the node for
// in `type`; only hand-made nodes (type 0) need the run-time type check.
int32_t classCode(const LodNode& node) {
    if (node.type > NODE_UNUSED && node.type < kNodeTypeCount) return node.type;
    if (dynamic_cast<const RootNode*>(&node)) return NODE_ROOT;
    if (dynamic_cast<const DofNode*>(&node)) return NODE_DOF;
    if (dynamic_cast<const ScaleNode*>(&node)) return NODE_SCALE;
    if (dynamic_cast<const TranslatorNode*>(&node)) return NODE_TRANSLATOR;
    if (dynamic_cast<const XDofNode*>(&node)) return NODE_XDOF;
    if (dynamic_cast<const SubTreeNode*>(&node)) return NODE_SUBTREE;
    if (dynamic_cast<const SlotNode*>(&node)) return NODE_SLOT;
    if (dynamic_cast<const XSwitchNode*>(&node)) return NODE_XSWITCH;
    if (dynamic_cast<const SwitchNode*>(&node)) return NODE_SWITCH;
    if (dynamic_cast<const SplitNode*>(&node)) return NODE_SPLIT;
    if (dynamic_cast<const SpecialNode*>(&node)) return NODE_SPECIALX;
    if (dynamic_cast<const LitStringNode*>(&node)) return NODE_LITSTRING;
    if (dynamic_cast<const RcNode*>(&node)) return NODE_RCNODE;
    if (dynamic_cast<const PrimNode*>(&node)) return NODE_PT;
    if (dynamic_cast<const PolygonNode*>(&node)) return NODE_CP;
    if (dynamic_cast<const DblPolyNode*>(&node)) return NODE_LP;
    return NODE_UNUSED;
}

int64_t entries(int32_t count) { return count > 0 ? count : 0; }

int64_t vec3TableWords(int32_t count) { return 3 * entries(count); }

int64_t primitiveWords(const Primitive* primitive) {
    const Primitive empty;
    const Primitive& p = primitive ? *primitive : empty;
    const int32_t bits = p.flags();
    const int64_t n = entries(writtenVertexCount(p));
    int64_t words = 3 + n;
    if (bits & PRIM_POLYDATA) words += 4;
    if (bits & PRIM_COLORS) {
        words += 1 + n;
    } else if (bits & PRIM_COLOR) {
        words += 1;
    }
    if (bits & PRIM_NORMALS) {
        words += 1 + n;
    } else if (bits & PRIM_NORMAL) {
        words += 1;
    }
    if (bits & PRIM_TEXTURE) words += 2 + 2 * n;
    return words;
}

// The words one node writes itself (its record, its tables and primitive
// records), without its child chains.
int64_t ownWords(const LodNode& node) {
    const int32_t code = classCode(node);
    switch (code) {
        case NODE_SUBTREE:
        case NODE_ROOT:
        case NODE_DOF:
        case NODE_TRANSLATOR:
        case NODE_SCALE:
        case NODE_XDOF: {
            const auto& subTree = static_cast<const SubTreeNode&>(node);
            const int64_t tables = vec3TableWords(subTree.vertexCount) + vec3TableWords(subTree.normalCount);
            switch (code) {
                case NODE_ROOT: return kRootWords + tables + entries(static_cast<const RootNode&>(node).textureCount);
                case NODE_DOF: return kDofWords + tables;
                case NODE_SCALE: return kScaleWords + tables;
                case NODE_TRANSLATOR: return kTranslatorWords + tables;
                case NODE_XDOF: return kXDofWords + tables;
                default: return kSubTreeWords + tables;
            }
        }
        case NODE_SLOT: return kSlotWords;
        case NODE_SWITCH:
        case NODE_XSWITCH: {
            const auto& switchNode = static_cast<const SwitchNode&>(node);
            const int32_t tableEntries = switchNode.branchCount > 0 ? switchNode.branchCount : 0;
            return kSwitchWords + tableEntries;
        }
        case NODE_SPLIT: return kSplitWords;
        case NODE_SPECIALX: return kSpecialWords + vec3TableWords(static_cast<const SpecialNode&>(node).vertexCount);
        case NODE_LITSTRING: return kHeadWords;
        case NODE_RCNODE: return kRcWords;
        case NODE_PT:
        case NODE_CP: return kSinglePrimitiveNodeWords + primitiveWords(static_cast<const SinglePrimitiveNode&>(node).primitive.get());
        case NODE_LP: {
            const auto& dbl = static_cast<const DblPolyNode&>(node);
            return kDblPolyWords + primitiveWords(dbl.sideA.get()) + primitiveWords(dbl.sideB.get());
        }
        default: return 0;
    }
}

// Chains are walked by loops; recursion follows nesting only, which the
// loader bounds.
void layoutInto(const LodNode* head, SerializedLayout& layout) {
    std::vector<const LodNode*> chain;
    for (const LodNode* node = head; node; node = node->next.get()) {
        chain.push_back(node);
        const int32_t code = writtenNodeCode(*node);
        if (code != NODE_UNUSED) layout.creationOrder.push_back(code);
    }
    std::vector<const LodNode*> childChains;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        childChains.clear();
        layout.wordCount += ownWords(**it);
        (*it)->appendChildChains(childChains);  // in the order the reader builds them
        for (const LodNode* childHead : childChains) layoutInto(childHead, layout);
    }
}

}  // namespace

int32_t writtenNodeCode(const LodNode& node) {
    const int32_t code = classCode(node);
    return code == NODE_XSWITCH ? NODE_SWITCH : code;
}

SerializedLayout layoutChain(const LodNode* head) {
    SerializedLayout layout;
    layoutInto(head, layout);
    return layout;
}

}  // namespace mevlo
