// Hostile layouts: long chains, deep and cyclic nesting, huge counts.
#include <gtest/gtest.h>

#include "lod/control_nodes.h"
#include "lod/primitive_nodes.h"
#include "lod/subtree_node.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;

namespace {

// A Root whose child is a node record that names itself as next sibling, so
// the chain is as long as the type table lets it be.
std::vector<uint8_t> selfChainFile(int32_t code, int32_t chainLengthWanted) {
    std::vector<int32_t> table(static_cast<size_t>(chainLengthWanted) + 1, code);
    table[0] = NODE_ROOT;
    // Root at 0 (48 bytes), one vertex at 48, the node at 60, its primitive at 72.
    std::vector<int32_t> words = {0x465168, -1, 48, 1, 0, 0, 0, 0, 60, 0, 0, 0,
                                  floatWord(1), floatWord(2), floatWord(3),
                                  NodeTypeTable[code].typeWord, 60, 72,
                                  0, 1, 88, 5, 0};
    return rawLod(table, words);
}

}  // namespace

TEST(ReaderRobustness, MillionNodeChainLoadsAndTearsDownWithoutRecursion) {
    const int32_t n = 1000000;
    auto loaded = load(selfChainFile(NODE_PT, n));
    auto* r = as<RootNode>(loaded.root());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(chainLength(r->firstChild.get()), static_cast<size_t>(n));
    EXPECT_EQ(loaded.model->nextNodeIndex, n + 1);
    LodNode* last = r->firstChild.get();
    while (last->next) last = last->next.get();
    Vec3 v;
    EXPECT_EQ(last->getVertex(0, v), 1);
    EXPECT_EQ(v.y, 2.0f);
    EXPECT_EQ(last->owner, r);
    loaded.model->release();
    EXPECT_EQ(loaded.model->root, nullptr);
}

TEST(ReaderRobustness, SelfReferencingChildNestsOnlyToTheLimit) {
    // A SubTree whose first child is itself, with a table of a million SubTrees.
    const int32_t n = 1000000;
    std::vector<int32_t> table(static_cast<size_t>(n), NODE_SUBTREE);
    const std::vector<int32_t> words = {0x465138, -1, 0, 0, 0, 0, 0, 0, 0};
    auto loaded = load(rawLod(table, words));
    EXPECT_EQ(loaded.messages, "Node Table Error:  Nesting too deep.\n");
    int depth = 0;
    for (LodNode* node = loaded.root(); node; node = as<SubTreeNode>(node)->firstChild.get()) ++depth;
    EXPECT_EQ(depth, kMaxNestingDepth + 1);
    EXPECT_EQ(loaded.model->nextNodeIndex, kMaxNestingDepth + 2);
}

TEST(ReaderRobustness, ChildrenPointingAtAncestorsTerminate) {
    // A Switch whose branches are the root record again, read as Switches.
    std::vector<int32_t> codes(5000, NODE_SWITCH);
    codes[0] = NODE_ROOT;
    Node s = switchNode({{subTree()}, {subTree()}});
    s.label = "s";
    auto built = buildLod(root({}, {s}), BuildOptions{codes, std::nullopt});
    const int32_t table = built.int32At(built.offsetOf("s") + 16);
    built.setInt32(table, 0);
    built.setInt32(table + 4, 0);
    auto loaded = load(built);
    ASSERT_NE(loaded.root(), nullptr);
    EXPECT_LE(loaded.model->nextNodeIndex, 5000);
    loaded.model->release();
}

TEST(ReaderRobustness, NodeNamingItselfAsNextSiblingStopsAtTheTable) {
    auto loaded = load(selfChainFile(NODE_CP, 10));
    EXPECT_EQ(chainLength(as<RootNode>(loaded.root())->firstChild.get()), 10u);
}
