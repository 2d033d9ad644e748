// Loading the records of every node type.
#include <gtest/gtest.h>

#include <cmath>

#include "lod/control_nodes.h"
#include "lod/primitive_nodes.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;

namespace {

const Matrix kQuarterTurn = {0, -1, 0, 1, 0, 0, 0, 0, 1};

RootNode* rootOf(const Loaded& loaded) { return as<RootNode>(loaded.root()); }

LodNode* firstChildOf(const Loaded& loaded) {
    RootNode* r = rootOf(loaded);
    return r ? r->firstChild.get() : nullptr;
}

}  // namespace

TEST(SubTreeReader, VertexLookupsAnswerInsideTheTableOnly) {
    const auto loaded = load(buildLod(root({}, {subTree({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}})})));
    auto* s = as<SubTreeNode>(firstChildOf(loaded));
    ASSERT_NE(s, nullptr);
    Vec3 out{-1, -1, -1};
    EXPECT_EQ(s->getVertex(2, out), 1);
    EXPECT_EQ(out.z, 9.0f);
    EXPECT_EQ(s->getVertex(3, out), 0);
    EXPECT_EQ(s->getVertex(-1, out), 0);
    EXPECT_EQ(out.x, 7.0f);  // untouched by the failed lookups
}

TEST(SubTreeReader, TableThatCannotBeReadIsAbsentAndTheRecordStillReadsOn) {
    Node s = subTree({{1, 2, 3}});
    s.label = "s";
    s.opaqueA = 41;
    s.opaqueB = 42;
    s.normals = {{0, 0, 1}};
    auto built = buildLod(root({}, {s}));
    built.setField("s", 8, 1 << 20);  // vertex table past the end of the file
    auto loaded = load(built);
    auto* node = as<SubTreeNode>(firstChildOf(loaded));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->vertexCount, 0);
    EXPECT_FALSE(node->vertices.present());
    EXPECT_EQ(node->opaqueA, 41);
    EXPECT_EQ(node->opaqueB, 42);
    EXPECT_EQ(node->normalCount, 1);

    // A count whose byte size wraps 32 bits is a failed read, not a small table.
    built = buildLod(root({}, {s}));
    built.setField("s", 12, 0x40000001);
    loaded = load(built);
    EXPECT_EQ(as<SubTreeNode>(firstChildOf(loaded))->vertexCount, 0);
    built.setField("s", 12, -1);
    loaded = load(built);
    EXPECT_EQ(as<SubTreeNode>(firstChildOf(loaded))->vertexCount, 0);
}

TEST(SubTreeReader, ChildChainIsOwnedByItsContainer) {
    const auto loaded = load(buildLod(root({}, {subTree({{1, 1, 1}}, {cp(prim(2, {})), cp(prim(2, {})), cp(prim(2, {}))})})));
    auto* s = as<SubTreeNode>(firstChildOf(loaded));
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(chainLength(s->firstChild.get()), 3u);
    for (LodNode* n = s->firstChild.get(); n; n = n->next.get()) {
        EXPECT_EQ(n->owner, s);
        EXPECT_EQ(n->parent, s);
        Vec3 v;
        EXPECT_EQ(n->getVertex(0, v), 1);  // answered through the owner
    }
    EXPECT_EQ(s->owner, rootOf(loaded));
}

TEST(SubTreeReader, RootTexturesAndNegativeTextureCount) {
    Node r = root();
    r.label = "r";
    r.textures = {5, 6};
    r.script = 9;
    auto built = buildLod(r);
    auto loaded = load(built);
    ASSERT_EQ(rootOf(loaded)->textureCount, 2);
    EXPECT_EQ(rootOf(loaded)->textures[1], 6);
    built.setField("r", 40, -5);
    loaded = load(built);
    EXPECT_EQ(rootOf(loaded)->textureCount, 0);
    EXPECT_FALSE(rootOf(loaded)->textures.present());
    EXPECT_EQ(rootOf(loaded)->script, 9);
}

TEST(SubTreeReader, TablesMayOverlapAndShareBytes) {
    Node a = subTree({{1, 2, 3}});
    a.label = "a";
    Node b = subTree({{4, 5, 6}});
    b.label = "b";
    auto built = buildLod(root({}, {a, b}));
    built.setField("b", 8, built.int32At(built.offsetOf("a") + 8));
    const auto loaded = load(built);
    Vec3 va, vb;
    auto* nodeA = as<SubTreeNode>(firstChildOf(loaded));
    ASSERT_EQ(nodeA->getVertex(0, va), 1);
    ASSERT_EQ(as<SubTreeNode>(nodeA->next.get())->getVertex(0, vb), 1);
    EXPECT_EQ(va.x, 1.0f);
    EXPECT_EQ(vb.x, 1.0f);
}

TEST(TransformReader, DofAnswersTransformedVerticesAndRotatedNormals) {
    Node d = dof(kQuarterTurn, {10, 0, 0}, {{1, 2, 3}});
    d.normals = {{1, 0, 0}};
    const auto loaded = load(buildLod(root({}, {d})));
    auto* node = as<DofNode>(firstChildOf(loaded));
    ASSERT_NE(node, nullptr);
    Vec3 v;
    ASSERT_EQ(node->getVertex(0, v), 1);
    EXPECT_EQ(v.x, 8.0f);
    EXPECT_EQ(v.y, 1.0f);
    EXPECT_EQ(v.z, 3.0f);
    ASSERT_EQ(node->getNormal(0, v), 1);
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 1.0f);
    EXPECT_EQ(v.z, 0.0f);
    Vec3 untouched{5, 5, 5};
    EXPECT_EQ(node->getVertex(1, untouched), 0);
    EXPECT_EQ(untouched.x, 5.0f);
}

TEST(TransformReader, DofSumsInDoubleInTheOrderFirstPlusThirdThenSecond) {
    // Row 0 = (1, 1, 1) on (1e8, 1, -1e8): (1e8 + -1e8) + 1 = 1 exactly;
    // a float left-to-right sum would give 0.
    const Matrix rows = {1, 1, 1, 0, 1, 0, 0, 0, 1};
    const auto loaded = load(buildLod(root({}, {dof(rows, {0, 0, 0}, {{1e8f, 1, -1e8f}})})));
    Vec3 v;
    ASSERT_EQ(firstChildOf(loaded)->getVertex(0, v), 1);
    EXPECT_EQ(v.x, 1.0f);
    // Order matters in double too: (a + c) + b with a = 2^60, b = 1, c = -2^60.
    const Matrix ones = {1, 1, 1, 0, 1, 0, 0, 0, 1};
    const float big = std::ldexp(1.0f, 60);
    const auto loaded2 = load(buildLod(root({}, {dof(ones, {0, 0, 0}, {{big, 1, -big}})})));
    ASSERT_EQ(firstChildOf(loaded2)->getVertex(0, v), 1);
    EXPECT_EQ(v.x, 1.0f);
}

TEST(TransformReader, XDofTranslatorScaleKeepFieldsAndAnswerStoredVertices) {
    Node x = xdof(kQuarterTurn, {10, 0, 0}, {{1, 2, 3}});
    x.flags = 5;
    x.dofId = 4;
    x.minimum = -1;
    x.maximum = 2;
    x.multiplier = 3;
    x.opaqueValue = 7;
    Node t = translator({0, 1, 0}, {{1, 2, 3}});
    t.flags = DOF_SUBRANGE;
    t.maximum = 90;
    Node s = scale({2, 2, 2}, {{1, 2, 3}});
    s.opaqueVector = {4, 5, 6};
    const auto loaded = load(buildLod(root({}, {x, t, s})));
    auto* nx = as<XDofNode>(firstChildOf(loaded));
    ASSERT_NE(nx, nullptr);
    EXPECT_EQ(static_cast<uint32_t>(nx->flags), 0x80000005u);
    EXPECT_EQ(nx->dofId, 4);
    EXPECT_EQ(nx->rotation.at(0, 1), -1.0f);
    EXPECT_EQ(nx->translation.x, 10.0f);
    EXPECT_EQ(nx->multiplier, 3.0f);
    EXPECT_EQ(nx->opaqueValue, 7.0f);
    auto* nt = as<TranslatorNode>(nx->next.get());
    ASSERT_NE(nt, nullptr);
    EXPECT_EQ(nt->flags, DOF_SUBRANGE);
    EXPECT_EQ(nt->maximum, 90.0f);
    EXPECT_EQ(nt->vector.y, 1.0f);
    auto* ns = as<ScaleNode>(nt->next.get());
    ASSERT_NE(ns, nullptr);
    EXPECT_EQ(ns->opaqueVector.z, 6.0f);
    for (LodNode* n = nx; n; n = n->next.get()) {
        Vec3 v;
        ASSERT_EQ(n->getVertex(0, v), 1);
        EXPECT_EQ(v.x, 1.0f);
        EXPECT_EQ(v.y, 2.0f);
        EXPECT_EQ(v.z, 3.0f);
    }
}

TEST(TransformReader, SlotMatrixIsHeldColumnByColumnAndSlotIdComesLast) {
    const Matrix e = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    const auto loaded = load(buildLod(root({}, {slot(12, e, {1, 2, 3})})));
    auto* s = as<SlotNode>(firstChildOf(loaded));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->slotId, 12);
    EXPECT_EQ(s->rotation.m[1], 3.0f);
    EXPECT_EQ(s->rotation.m[3], 1.0f);
    EXPECT_EQ(s->position.z, 3.0f);
}

TEST(ControlReader, SwitchBranchesAbsentEntriesAndNoOwners) {
    const auto loaded = load(buildLod(root({{1, 2, 3}}, {switchNode({{pt(prim(0, {0}))}, {}, {subTree()}}, 6)})));
    auto* s = as<SwitchNode>(firstChildOf(loaded));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->switchId, 6);
    ASSERT_EQ(s->branchCount, 3);
    ASSERT_NE(s->branch(0), nullptr);
    EXPECT_EQ(s->branch(1), nullptr);
    ASSERT_NE(s->branch(2), nullptr);
    EXPECT_EQ(s->branch(2)->type, NODE_SUBTREE);
    EXPECT_EQ(s->branch(0)->owner, nullptr);
    Vec3 v;
    EXPECT_EQ(s->branch(0)->getVertex(0, v), 0);
}

TEST(ControlReader, SwitchBranchCountsZeroNegativeAndOverTheLimit) {
    {
        const auto loaded = load(buildLod(root({}, {switchNode({})})));
        EXPECT_EQ(loaded.model->nextNodeIndex, 2);
        EXPECT_EQ(as<SwitchNode>(firstChildOf(loaded))->branchCount, 0);
    }
    {
        std::vector<Chain> many(60, Chain{subTree()});
        const auto loaded = load(buildLod(root({}, {switchNode(many)})));
        auto* s = as<SwitchNode>(firstChildOf(loaded));
        EXPECT_EQ(s->branchCount, kMaxSwitchBranches);
        EXPECT_NE(s->branch(49), nullptr);
        EXPECT_EQ(s->branch(50), nullptr);
        EXPECT_EQ(loaded.model->nextNodeIndex, 2 + 50);
    }
    {
        Node s = switchNode({{subTree()}});
        s.label = "s";
        auto built = buildLod(root({}, {s}));
        built.setField("s", 12, -7);
        const auto loaded = load(built);
        EXPECT_EQ(as<SwitchNode>(firstChildOf(loaded))->branchCount, -7);
        EXPECT_TRUE(as<SwitchNode>(firstChildOf(loaded))->branches.empty());
    }
}

TEST(ControlReader, SwitchTableBeforeTheStartOfTheFileGivesNoBranches) {
    Node s = switchNode({{subTree()}, {subTree()}});
    s.label = "s";
    auto built = buildLod(root({}, {s}));
    built.setField("s", 16, -100000);
    const auto loaded = load(built);
    auto* node = as<SwitchNode>(firstChildOf(loaded));
    EXPECT_EQ(node->branchCount, 2);
    EXPECT_EQ(node->branch(0), nullptr);
    EXPECT_EQ(node->branch(1), nullptr);
}

TEST(ControlReader, XSwitchFieldOrder) {
    const auto loaded = load(buildLod(root({}, {xswitch({{subTree()}, {}}, SWITCH_REVERSE, 4)})));
    auto* x = as<XSwitchNode>(firstChildOf(loaded));
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->switchId, 4);
    EXPECT_EQ(x->flags, 1);
    EXPECT_EQ(x->branchCount, 2);
    EXPECT_NE(x->branch(0), nullptr);
}

TEST(ControlReader, SplitWithOnlyBranchBOwnsIt) {
    const auto loaded = load(buildLod(root({}, {split({}, {cp(prim(2, {})), cp(prim(2, {}))}, {1, 2, 3, 4})})));
    auto* s = as<SplitNode>(firstChildOf(loaded));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->plane[3], 4.0f);
    EXPECT_EQ(s->branchA, nullptr);
    ASSERT_EQ(chainLength(s->branchB.get()), 2u);
    EXPECT_EQ(s->branchB->next->owner, s);
}

TEST(ControlReader, SpecialAnswersVerticesButNoNormals) {
    const auto loaded = load(buildLod(root({}, {special(SPECIAL_TREE, {{1, 1, 1}, {2, 2, 2}}, {cp(prim(2, {1}))})})));
    auto* s = as<SpecialNode>(firstChildOf(loaded));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->specialType, SPECIAL_TREE);
    Vec3 v;
    EXPECT_EQ(s->getVertex(1, v), 1);
    EXPECT_EQ(s->getVertex(2, v), 0);
    EXPECT_EQ(s->getNormal(0, v), 0);
    EXPECT_EQ(s->firstChild->getVertex(1, v), 1);
}

TEST(ControlReader, RcNodeKeepsItsBytes) {
    std::array<uint8_t, 32> data{};
    data[0] = 1;  // opcode Add
    data[2] = RC_OPERAND_DOF;
    data[7] = RC_OPERAND_VAR;
    data[8] = 7;  // resultIndex
    storeU32LE(data.data() + 16, bitsOfFloat(0.5f));
    const auto loaded = load(buildLod(root({}, {rcNode(RC_DOFMATH, data)})));
    auto* rc = as<RcNode>(firstChildOf(loaded));
    ASSERT_NE(rc, nullptr);
    EXPECT_EQ(rc->rcType, RC_DOFMATH);
    EXPECT_EQ(rc->opcode(), 1);
    EXPECT_EQ(std::string(rcOperations[rc->opcode()].name), "Add");
    EXPECT_EQ(rc->argType(0), RC_OPERAND_DOF);
    EXPECT_EQ(rc->resultType(), RC_OPERAND_VAR);
    EXPECT_EQ(rc->resultIndex(), 7);
    EXPECT_EQ(rc->argFloat(1), 0.5f);  // the z-bias slot
}
