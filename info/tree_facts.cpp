#include <algorithm>
#include <array>
#include <map>

#include "info/model_facts.h"
#include "lod/control_nodes.h"
#include "lod/primitive_nodes.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"

namespace mevlo {

namespace {

// Counts kept in arrays while the tree is walked (a model has millions of
// primitives and a handful of types and textures); merged into the facts'
// maps at the end.
struct PrimitiveCounts {
    std::array<int64_t, kPrimitiveTypeCount> knownTypes{};
    int32_t lastTexture = 0;
    int64_t* lastTextureCount = nullptr;
};

void countPrimitive(const Primitive* primitive, ModelFacts& facts, PrimitiveCounts& counts) {
    if (!primitive) return;
    if (isKnownPrimitiveType(primitive->type())) {
        ++counts.knownTypes[static_cast<size_t>(primitive->type())];
    } else {
        ++facts.primitivesByType[primitive->type()];
    }
    if (!(primitive->flags() & PRIM_TEXTURE)) return;
    if (!counts.lastTextureCount || counts.lastTexture != primitive->textureId()) {
        counts.lastTexture = primitive->textureId();
        counts.lastTextureCount = &facts.texturesUsed[primitive->textureId()];
    }
    ++*counts.lastTextureCount;
}

void widenLimits(DofUse& use, float minimum, float maximum) {
    if (!use.hasLimits) {
        use.hasLimits = true;
        use.minimum = minimum;
        use.maximum = maximum;
        return;
    }
    use.minimum = std::min(use.minimum, minimum);
    use.maximum = std::max(use.maximum, maximum);
}

void countDofUse(const LodNode& node, ModelFacts& facts) {
    if (node.type == NODE_DOF) {
        const auto& dof = static_cast<const DofNode&>(node);
        DofUse& use = facts.dofs[dof.dofId];
        use.id = dof.dofId;
        ++use.dofNodes;
        return;
    }
    const auto& limited = static_cast<const DofLimitsNode&>(node);
    DofUse& use = facts.dofs[limited.dofId];
    use.id = limited.dofId;
    if (node.type == NODE_XDOF) ++use.xdofNodes;
    if (node.type == NODE_TRANSLATOR) ++use.translatorNodes;
    if (node.type == NODE_SCALE) ++use.scaleNodes;
    widenLimits(use, limited.minimum, limited.maximum);
}

void countNode(const LodNode& node, ModelFacts& facts, PrimitiveCounts& counts) {
    ++facts.nodesBuilt;
    if (isKnownNodeType(node.type)) ++facts.nodesByType[static_cast<size_t>(node.type)];
    switch (node.type) {
        case NODE_DOF:
        case NODE_XDOF:
        case NODE_TRANSLATOR:
        case NODE_SCALE:
            countDofUse(node, facts);
            break;
        case NODE_SWITCH:
        case NODE_XSWITCH: {
            const auto& control = static_cast<const SwitchNode&>(node);
            facts.switches.push_back(SwitchFact{control.switchId, control.branchCount, node.type == NODE_XSWITCH});
            break;
        }
        case NODE_SLOT:
            facts.slots.push_back(static_cast<const SlotNode&>(node).slotId);
            break;
        case NODE_PT:
        case NODE_CP:
            countPrimitive(static_cast<const SinglePrimitiveNode&>(node).primitive(), facts, counts);
            break;
        case NODE_LP: {
            const auto& pair = static_cast<const DblPolyNode&>(node);
            countPrimitive(pair.sideA(), facts, counts);
            countPrimitive(pair.sideB(), facts, counts);
            break;
        }
        default:
            break;
    }
}

}  // namespace

// Nodes are visited in the order the loader created them: a chain's nodes
// front to back, then the child chains of its last node, ..., then those of
// its first (each child chain completely before the next). A stack of
// pending chains replaces the recursion, so chains of any length and the
// deepest nesting the loader allows cost no call depth.
void collectTreeFacts(const LodModel& model, ModelFacts& facts) {
    facts.nodeCount = model.nodeCount;
    facts.bytes = model.file.size();
    facts.problems = model.problems;
    // The model's Root is its top record; a Root met deeper is a node like any other.
    if (model.root && model.root->type == NODE_ROOT) {
        const auto& root = static_cast<const RootNode&>(*model.root);
        facts.hasRoot = true;
        facts.script = root.script;
        for (int32_t i = 0; i < root.textures.count(); ++i) facts.rootTextures.push_back(root.textures[i]);
    }
    PrimitiveCounts counts;
    std::vector<const LodNode*> pendingChains;
    std::vector<const LodNode*> chain;
    std::vector<const LodNode*> children;
    if (model.root) pendingChains.push_back(model.root.get());
    while (!pendingChains.empty()) {
        const LodNode* head = pendingChains.back();
        pendingChains.pop_back();
        chain.clear();
        for (const LodNode* n = head; n; n = n->next.get()) {
            countNode(*n, facts, counts);
            chain.push_back(n);
        }
        // Children are created last node first; the stack is popped in
        // reverse, so they are pushed first node first, each node's chains
        // in reverse.
        for (const LodNode* n : chain) {
            children.clear();
            n->appendChildChains(children);
            for (auto it = children.rbegin(); it != children.rend(); ++it)
                if (*it) pendingChains.push_back(*it);
        }
    }
    for (int32_t type = 0; type < kPrimitiveTypeCount; ++type)
        if (counts.knownTypes[static_cast<size_t>(type)] > 0)
            facts.primitivesByType[type] += counts.knownTypes[static_cast<size_t>(type)];
    std::sort(facts.slots.begin(), facts.slots.end());
    facts.slots.erase(std::unique(facts.slots.begin(), facts.slots.end()), facts.slots.end());
}

}  // namespace mevlo
