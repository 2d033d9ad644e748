// Listing of chains, and of the plain node (LitString), which shows nothing.
#include "lod/lod_node.h"

#include "lod/listing/listing_writer.h"

namespace mevlo {

// A chain is listed by a loop: chains can hold millions of nodes, far more
// than the call stack could nest.
void LodNode::print(ListingWriter& out) const {
    for (const LodNode* node = this; node != nullptr; node = node->next.get()) node->printNode(out);
}

void LodNode::printNode(ListingWriter&) const {}

}  // namespace mevlo
