// Listing of the geometry containers, SubTree and Root.
#include "lod/listing/listing_writer.h"
#include "lod/subtree_node.h"

namespace mevlo {

void SubTreeNode::printChildren(ListingWriter& out) const {
    out.indentMore();
    if (firstChild) firstChild->print(out);
    out.indentLess();
}

void SubTreeNode::printNode(ListingWriter& out) const {
    out.line("SUBTREE\n");
    printChildren(out);
    out.line("SUBTREEEND\n");
}

// The Root's children list at the Root's own depth, after an empty line.
void RootNode::printNode(ListingWriter& out) const {
    out.line(";BEGIN ROOT\n");
    out.indent();
    out.formatted("SCRIPT %d\n", script);
    for (int32_t i = 0; i < textures.count(); ++i) {
        out.indent();
        out.formatted("TEXTURE %d\n", textures[i]);
    }
    out.line("\n\n");
    if (firstChild) firstChild->print(out);
    out.line(";END ROOT\n");
}

}  // namespace mevlo
