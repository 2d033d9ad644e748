// Primitive records: the optional fields of all 27 types.
#include <gtest/gtest.h>

#include "lod/primitive_nodes.h"
#include "lod/subtree_node.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;

namespace {

const Primitive* onlyPrimitive(const Loaded& loaded) {
    auto* r = as<RootNode>(loaded.root());
    if (!r || !r->firstChild) return nullptr;
    auto* node = as<SinglePrimitiveNode>(r->firstChild.get());
    return node ? node->primitive() : nullptr;
}

}  // namespace

TEST(PrimitiveReader, EveryTypeReadsExactlyTheFieldsItsFlagsAnnounce) {
    for (int32_t type = 0; type < kPrimitiveTypeCount; ++type) {
        SCOPED_TRACE(type);
        Prim p = prim(type, {0, 1, 2});
        p.polyData = {1.5f, 2.5f, 3.5f, 4.5f};
        p.color = 77;
        p.normal = 1;
        p.textureId = 33;
        const auto loaded = load(buildLod(root({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {cp(p)})));
        EXPECT_EQ(loaded.messages, "");
        const Primitive* q = onlyPrimitive(loaded);
        ASSERT_NE(q, nullptr);
        const int32_t bits = PrimitiveFlags[type];
        EXPECT_EQ(q->type(), type);
        EXPECT_EQ(q->vertexCount(), 3);
        ASSERT_TRUE(q->vertexIndices().present());
        EXPECT_EQ(q->vertexIndices()[2], 2);
        EXPECT_EQ(q->polyData(3), (bits & PRIM_POLYDATA) ? 4.5f : 0.0f);
        EXPECT_EQ(q->colorIndices().present(), (bits & PRIM_COLORS) != 0);
        EXPECT_EQ(q->colorIndex(), (bits & PRIM_COLOR) ? 77 : 0);
        if (bits & PRIM_COLORS) {
            EXPECT_EQ(q->colorIndices()[1], 11);
        }
        EXPECT_EQ(q->normalIndices().present(), (bits & PRIM_NORMALS) != 0);
        EXPECT_EQ(q->normalIndex(), (bits & PRIM_NORMAL) ? 1 : 0);
        EXPECT_EQ(q->texCoords().present(), (bits & PRIM_TEXTURE) != 0);
        EXPECT_EQ(q->textureId(), (bits & PRIM_TEXTURE) ? 33 : 0);
        if (bits & PRIM_TEXTURE) {
            EXPECT_EQ(q->texCoords()[1].u, 0.25f);
        }
        EXPECT_EQ(q->owner, as<RootNode>(loaded.root())->firstChild.get());
    }
}

TEST(PrimitiveReader, UnknownTypeSaysFubarAndReadsThreeWords) {
    for (int32_t type : {27, -1}) {
        Prim p = prim(2, {0});
        Node node = cp(p);
        node.label = "cp";
        auto built = buildLod(root({{1, 1, 1}}, {node}));
        const int32_t record = built.offsetOf("cp") + 12;
        built.setInt32(record, type);  // the record now announces no optional field
        const auto loaded = load(built);
        EXPECT_EQ(loaded.messages, "  FUBAR!\n");
        const Primitive* q = onlyPrimitive(loaded);
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(q->type(), type);
        EXPECT_EQ(q->vertexCount(), 1);
        EXPECT_TRUE(q->vertexIndices().present());
        EXPECT_EQ(q->polyData(0), 0.0f);
        EXPECT_EQ(q->flags(), 0);
    }
}

TEST(PrimitiveReader, LpSidesAreIndependentEvenFromOneRecord) {
    Node node = lp(prim(2, {0, 1, 2}), prim(0, {1}));
    node.label = "lp";
    auto built = buildLod(root({{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {node}));
    const auto loaded = load(built);
    auto* d = as<DblPolyNode>(as<RootNode>(loaded.root())->firstChild.get());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->sideA()->vertexCount(), 3);
    EXPECT_EQ(d->sideB()->vertexCount(), 1);
    built.setField("lp", 12, built.int32At(built.offsetOf("lp") + 8));
    const auto same = load(built);
    d = as<DblPolyNode>(as<RootNode>(same.root())->firstChild.get());
    ASSERT_NE(d->sideA(), nullptr);
    ASSERT_NE(d->sideB(), nullptr);
    EXPECT_NE(d->sideA(), d->sideB());
    EXPECT_EQ(d->sideB()->vertexCount(), 3);
}

TEST(PrimitiveReader, RecordBeforeTheStartOfTheFileIsAbsent) {
    Node node = cp(prim(2, {0}));
    node.label = "cp";
    auto built = buildLod(root({{1, 1, 1}}, {node}));
    built.setField("cp", 8, -100000);
    const auto loaded = load(built);
    auto* c = as<SinglePrimitiveNode>(as<RootNode>(loaded.root())->firstChild.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->primitive(), nullptr);
}

TEST(PrimitiveReader, BlocksThatCannotBeReadAreAbsentWhileTheCountStays) {
    Prim p = prim(5, {0, 1});
    p.countOverride = 0x7FFFFFFF;
    const auto loaded = load(buildLod(root({{1, 1, 1}}, {cp(p)})));
    const Primitive* q = onlyPrimitive(loaded);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->vertexCount(), 0x7FFFFFFF);
    EXPECT_FALSE(q->vertexIndices().present());
    EXPECT_FALSE(q->colorIndices().present());
    EXPECT_FALSE(q->normalIndices().present());
}

// Loading keeps records where they lie in the file; one that the end of the
// file cuts must still read its missing words as zeros, a partial word too.
TEST(PrimitiveReader, RecordCutByTheEndOfTheFileReadsZerosForTheMissingWords) {
    Prim p = prim(0, {0});
    p.color = 77;
    Node node = cp(p);
    node.label = "cp";
    auto built = buildLod(root({{1, 1, 1}}, {node}));
    const int32_t record = built.offsetOf("cp") + 12;
    const int32_t moved = built.append({0, 1, built.int32At(record + 8)});
    built.bytes.push_back(77);  // three bytes of the colour word
    built.bytes.push_back(0);
    built.bytes.push_back(0);
    built.setField("cp", 8, moved);
    const auto loaded = load(built);
    const Primitive* q = onlyPrimitive(loaded);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->vertexCount(), 1);
    ASSERT_TRUE(q->vertexIndices().present());
    EXPECT_EQ(q->vertexIndices()[0], 0);
    EXPECT_EQ(q->colorIndex(), 0);
}
