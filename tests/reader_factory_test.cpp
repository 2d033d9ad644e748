// Loading: header, node type table, factory and creation order.
#include <gtest/gtest.h>

#include "lod/control_nodes.h"
#include "lod/primitive_nodes.h"
#include "lod/subtree_node.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;

namespace {

std::vector<int32_t> rootRecordWords(int32_t script) {
    // type word, next, vertex table, count, opaqueA, opaqueB, normal table,
    // count, first child, texture table, texture count, script
    return {0x465168, -1, 0, 0, 0, 0, 0, 0, -1, 0, 0, script};
}

}  // namespace

TEST(LodReader, SmallestCompleteFileGivesRootWithScript) {
    const auto loaded = load(rawLod({NODE_ROOT}, rootRecordWords(7)));
    ASSERT_NE(loaded.root(), nullptr);
    EXPECT_EQ(loaded.model->dataBase, 8);
    EXPECT_EQ(loaded.model->nextNodeIndex, 1);
    auto* r = as<RootNode>(loaded.root());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->type, NODE_ROOT);
    EXPECT_EQ(r->typeWord(), 4608360);
    EXPECT_EQ(r->script, 7);
    EXPECT_EQ(r->vertexCount, 0);
    EXPECT_FALSE(r->vertices.present());
    EXPECT_EQ(r->firstChild, nullptr);
    EXPECT_EQ(loaded.messages, "");
}

TEST(LodReader, DataBaseFollowsTheTypeTable) {
    auto bytes = rawLod({NODE_ROOT, NODE_SUBTREE, NODE_CP}, rootRecordWords(3));
    const auto loaded = load(bytes);
    EXPECT_EQ(loaded.model->dataBase, 16);
    ASSERT_NE(loaded.root(), nullptr);
    EXPECT_EQ(as<RootNode>(loaded.root())->script, 3);
}

TEST(LodReader, CreationOrderBuildsSiblingsBeforeChildren) {
    Node a = subTree({}, {cp(prim(2, {}))});
    a.label = "A";
    Node b = subTree({}, {pt(prim(0, {}))});
    b.label = "B";
    const Node tree = root({}, {a, b});
    const auto built = buildLod(tree);
    EXPECT_EQ(built.typeTable, (std::vector<int32_t>{NODE_ROOT, NODE_SUBTREE, NODE_SUBTREE, NODE_PT, NODE_CP}));

    const auto loaded = load(built);
    auto* r = as<RootNode>(loaded.root());
    ASSERT_NE(r, nullptr);
    LodNode* nodeA = r->firstChild.get();
    ASSERT_NE(nodeA, nullptr);
    LodNode* nodeB = nodeA->next.get();
    ASSERT_NE(nodeB, nullptr);
    EXPECT_EQ(nodeB->prev, nodeA);
    EXPECT_EQ(as<SubTreeNode>(nodeA)->firstChild->type, NODE_CP);
    EXPECT_EQ(as<SubTreeNode>(nodeB)->firstChild->type, NODE_PT);
    EXPECT_EQ(nodeA->owner, r);
    EXPECT_EQ(nodeB->owner, r);
    EXPECT_EQ(nodeB->parent, r);
}

TEST(LodReader, DepthFirstTypeTableIsReadInCreationOrder) {
    const Node tree = root({}, {subTree({}, {cp(prim(2, {}))}), subTree({}, {cp(prim(2, {}))})});
    const auto built = buildLod(tree, BuildOptions{std::vector<int32_t>{2, 1, 9, 1, 9}, std::nullopt});
    const auto loaded = load(built);
    auto* r = as<RootNode>(loaded.root());
    ASSERT_NE(r, nullptr);
    // B takes A1's entry (CP), B1 takes B's entry (SubTree).
    LodNode* nodeB = r->firstChild->next.get();
    ASSERT_NE(nodeB, nullptr);
    EXPECT_EQ(nodeB->type, NODE_CP);
    EXPECT_EQ(as<SubTreeNode>(r->firstChild.get())->firstChild->type, NODE_SUBTREE);
}

TEST(LodReader, TypeTableZeroAndOutOfRangeCodesLeaveGaps) {
    // Root with a chain of three CPs; codes 17 and 0 stop the chain.
    const Node tree = root({}, {cp(prim(2, {})), cp(prim(2, {})), cp(prim(2, {}))});
    {
        const auto loaded = load(buildLod(tree, BuildOptions{std::vector<int32_t>{2, 9, 17, 9}, std::nullopt}));
        EXPECT_EQ(loaded.messages, "Node Table Error:  Type out of range.\n");
        EXPECT_EQ(chainLength(as<RootNode>(loaded.root())->firstChild.get()), 1u);
        EXPECT_EQ(loaded.model->nextNodeIndex, 3);
    }
    {
        const auto loaded = load(buildLod(tree, BuildOptions{std::vector<int32_t>{2, 9, -3, 9}, std::nullopt}));
        EXPECT_EQ(loaded.messages, "Node Table Error:  Type out of range.\n");
    }
    {
        const auto loaded = load(buildLod(tree, BuildOptions{std::vector<int32_t>{2, 5, 0}, std::nullopt}));
        EXPECT_EQ(loaded.messages, "");
        // The first child is built as a Switch from a CP record; the third entry is 0.
        ASSERT_NE(as<RootNode>(loaded.root())->firstChild, nullptr);
        EXPECT_EQ(as<RootNode>(loaded.root())->firstChild->type, NODE_SWITCH);
    }
}

TEST(LodReader, RootEntryZeroGivesNoRoot) {
    const auto loaded = load(buildLod(root(), BuildOptions{std::vector<int32_t>{0}, std::nullopt}));
    EXPECT_EQ(loaded.root(), nullptr);
    EXPECT_EQ(loaded.model->nextNodeIndex, 1);
}

TEST(LodReader, ExhaustedTableYieldsNoNodeAndConsumesNothing) {
    const Node tree = root({}, {cp(prim(2, {})), cp(prim(2, {}))});
    const auto loaded = load(buildLod(tree, BuildOptions{std::vector<int32_t>{2, 9}, std::nullopt}));
    EXPECT_EQ(chainLength(as<RootNode>(loaded.root())->firstChild.get()), 1u);
    EXPECT_EQ(loaded.model->nextNodeIndex, 2);
    EXPECT_EQ(loaded.messages, "");
}

TEST(LodReader, NodeCountsThatTheFileCannotHold) {
    {  // negative: no table, no root, count kept as read
        auto bytes = rawLod({NODE_ROOT}, rootRecordWords(1));
        storeU32LE(bytes.data(), static_cast<uint32_t>(-5));
        const auto loaded = load(bytes);
        EXPECT_EQ(loaded.root(), nullptr);
        EXPECT_EQ(loaded.model->nodeCount, -5);
    }
    {  // 2^31-1 in a 12-byte file: two entries exist, the rest read as 0
        std::vector<uint8_t> bytes(12, 0);
        storeU32LE(bytes.data(), 0x7FFFFFFF);
        storeU32LE(bytes.data() + 4, NODE_ROOT);
        const auto loaded = load(bytes);
        EXPECT_EQ(loaded.model->nodeCount, 0x7FFFFFFF);
        EXPECT_EQ(loaded.model->nodeTypes.count(), 2);
        EXPECT_EQ(loaded.model->dataBase, 12);
        ASSERT_NE(loaded.root(), nullptr);  // a Root read from zeros past the end
        EXPECT_EQ(loaded.root()->typeWord(), 0);
    }
    {  // empty file: count 0
        const auto loaded = load(std::vector<uint8_t>{});
        EXPECT_EQ(loaded.model->nodeCount, 0);
        EXPECT_EQ(loaded.root(), nullptr);
    }
    {  // a file ending inside a word: the partial word reads as 0
        const auto loaded = load(std::vector<uint8_t>{1, 0});
        EXPECT_EQ(loaded.model->nodeCount, 0);
    }
}

TEST(LodReader, BlockReadsFailWithoutMovingTheStream) {
    auto bytes = rawLod({NODE_ROOT}, rootRecordWords(1));
    auto loaded = load(bytes);
    LodModel& model = *loaded.model;
    model.stream().seek(20);
    EXPECT_EQ(model.readBlock(0, 0), nullptr);
    EXPECT_EQ(model.readBlock(44, 8), nullptr);  // runs past the end
    EXPECT_EQ(model.readBlock(-9, 4), nullptr);  // before the start of the file
    EXPECT_EQ(model.readBlock(0, -12), nullptr);
    EXPECT_EQ(model.readBlock(0x7FFFFFFF, 4), nullptr);
    EXPECT_EQ(model.stream().tell(), 20);
    const uint8_t* block = model.readBlock(44, 4);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(loadI32LE(block), 1);
    block = model.readBlock(-8, 4);  // the count word, through a negative offset
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(loadI32LE(block), 1);
    EXPECT_EQ(model.stream().tell(), 20);
}

TEST(LodReader, ReleaseIsSafeToRepeat) {
    LodModel never;
    never.release();
    never.release();
    auto loaded = load(buildLod(root({{1, 2, 3}}, {cp(prim(2, {0, 0, 0}))})));
    loaded.model->release();
    EXPECT_EQ(loaded.model->root, nullptr);
    EXPECT_EQ(loaded.model->nodeTypes.count(), 0);
    loaded.model->release();
}

TEST(LodReader, NegativeNextOffsetsEndTheChain) {
    Node first = cp(prim(2, {}));
    first.label = "first";
    const Node tree = root({}, {first, cp(prim(2, {}))});
    auto built = buildLod(tree);
    built.setField("first", 4, -2);
    const auto loaded = load(built);
    EXPECT_EQ(chainLength(as<RootNode>(loaded.root())->firstChild.get()), 1u);
}

TEST(LodReader, LitStringIsReadAsItsHeadAndTheChainGoesOn) {
    const Node tree = root({}, {litString(), cp(prim(2, {}))});
    const auto loaded = load(buildLod(tree));
    LodNode* head = as<RootNode>(loaded.root())->firstChild.get();
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->type, NODE_LITSTRING);
    EXPECT_EQ(head->typeWord(), 11);
    ASSERT_NE(head->next, nullptr);
    EXPECT_EQ(head->next->type, NODE_CP);
}
