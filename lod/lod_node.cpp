#include "lod/lod_node.h"

#include <utility>

#include "lod/lod_model.h"

namespace mevlo {

LodNode::LodNode(LodModel& loadedFrom) : model(&loadedFrom) {}

int32_t LodNode::typeWord() const { return model->wordAt(recordOffset); }

// The rest of the chain is destroyed by a loop: a recursive unique_ptr
// teardown would nest once per sibling.
LodNode::~LodNode() { destroyChain(next); }

void destroyChain(NodePtr& head) {
    NodePtr current = std::move(head);
    while (current) {
        NodePtr following = std::move(current->next);
        current.reset();
        current = std::move(following);
    }
}

int32_t LodNode::getVertex(int32_t index, Vec3& out) const {
    return owner ? owner->getVertex(index, out) : 0;
}

int32_t LodNode::getNormal(int32_t index, Vec3& out) const {
    return owner ? owner->getNormal(index, out) : 0;
}

void LodNode::setOwner(LodNode* node) {
    for (LodNode* n = this; n; n = n->next.get()) {
        n->owner = node;
        n->parent = node;
    }
}

void LodNode::readRecord(LodModel&) {}

void LodNode::appendChildChains(std::vector<const LodNode*>&) const {}

}  // namespace mevlo
