// Listing of the geometry containers, SubTree and Root.
#include "lod/listing/indent.h"
#include "lod/listing/listing_output.h"
#include "lod/subtree_node.h"

namespace mevlo {

void SubTreeNode::printChildren() const {
    ++indentDepth;
    if (firstChild) firstChild->print();
    --indentDepth;
}

void SubTreeNode::printNode() const {
    printLine("SUBTREE\n");
    printChildren();
    printLine("SUBTREEEND\n");
}

// The Root's children list at the Root's own depth, after an empty line.
void RootNode::printNode() const {
    printLine(";BEGIN ROOT\n");
    printIndent();
    listFormatted("SCRIPT %d\n", script);
    for (int32_t i = 0; i < textures.count(); ++i) {
        printIndent();
        listFormatted("TEXTURE %d\n", textures[i]);
    }
    printLine("\n\n");
    if (firstChild) firstChild->print();
    printLine(";END ROOT\n");
}

}  // namespace mevlo
