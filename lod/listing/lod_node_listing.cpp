// Listing of chains, and of the plain node (LitString), which shows nothing.
#include "lod/lod_node.h"

#include "lod/listing/listing_output.h"

namespace mevlo {

// A chain is listed by a loop: chains can hold millions of nodes, far more
// than the call stack could nest.
void LodNode::print() const {
    const ListingScope scope(nullptr);
    for (const LodNode* node = this; node != nullptr; node = node->next.get()) node->printNode();
}

void LodNode::printNode() const {}

}  // namespace mevlo
