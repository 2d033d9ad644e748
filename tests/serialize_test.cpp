// Record layouts written by the serializer: slots and their placeholders,
// the order of records and tables, and what is written for nodes and
// primitives the reader could not fully read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lod/control_nodes.h"
#include "lod/primitive_nodes.h"
#include "lod/serialize/lod_file_writer.h"
#include "lod/serialize/record_writing.h"
#include "lod/serialize/word_writer.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;

namespace {

struct Written {
    std::vector<int32_t> words;
    std::vector<int32_t> codes;  // the writer's list, in writing order
    std::string messages;        // reported while writing
};

// Loads the file and serializes its root chain into a roomy writer.
Written serializeFile(const std::vector<uint8_t>& bytes) {
    const Loaded loaded = load(bytes);
    mevlo::MessageLog log;
    WordWriter writer(log, 1 << 16);
    Written out;
    writeChain(writer, loaded.root());
    out.messages = log.text;
    out.words.assign(writer.words.begin(), writer.words.begin() + writer.wordCount);
    out.codes = writer.nodeTypeList;
    return out;
}

Written serializeTree(const Node& top) { return serializeFile(buildLod(top).bytes); }

std::vector<uint8_t> repacked(const std::vector<uint8_t>& bytes) {
    const Loaded loaded = load(bytes);
    std::vector<uint8_t> out;
    std::string error;
    mevlo::MessageCount messages;
    EXPECT_TRUE(writeLodFile(*loaded.model, messages, out, error)) << error;
    return out;
}

int32_t word(const std::vector<int32_t>& words, int32_t byteOffset) {
    return words.at(static_cast<size_t>(byteOffset / 4));
}

const Prim kPoint = prim(0, {0});

}  // namespace

TEST(Serializer, RootWithOnePolygonIsTwentyOneWords) {
    Prim p = prim(0, {0});
    p.color = 9;
    Node r = root({}, {cp(p)});
    r.textures = {5};
    r.script = 7;
    const Written out = serializeTree(r);
    EXPECT_EQ(out.words, (std::vector<int32_t>{0x465168, -1, 80, 0, 0, 0, 80, 0, 48, 80, 1, 7,  //
                                               0x465118, -1, 60, 0, 1, 76, 9, 0, 5}));
    EXPECT_EQ(out.codes, (std::vector<int32_t>{2, 9}));
    EXPECT_EQ(out.messages, "");
}

TEST(Serializer, ChainSiblingFollowsTheWholeSubtreeOfTheNodeBeforeIt) {
    // S (0..35) holds A (36..71) with child P (72..103) and one vertex
    // (104..115), then B (116..147); S's own vertex follows at 148.
    const Node a = subTree({{1, 2, 3}}, {cp(kPoint)});
    const Written out = serializeTree(subTree({{4, 5, 6}}, {a, cp(kPoint)}));
    EXPECT_EQ(word(out.words, 8), 148);          // S vertex table
    EXPECT_EQ(word(out.words, 32), 36);          // S first child: A
    EXPECT_EQ(word(out.words, 36 + 4), 116);     // A next: B
    EXPECT_EQ(word(out.words, 36 + 8), 104);     // A vertex table after its child
    EXPECT_EQ(word(out.words, 116), 0x465118);   // B's record
    EXPECT_EQ(word(out.words, 116 + 4), -1);     // B is last
    EXPECT_EQ(word(out.words, 148), static_cast<int32_t>(bits(4.0f)));
    EXPECT_EQ(out.words.size(), 40u);
    EXPECT_EQ(out.codes, (std::vector<int32_t>{1, 1, 9, 9}));
}

TEST(Serializer, ContainersWithoutChildrenKeepMinusOneAndEmptyTablesNameWhatFollows) {
    // The root chain S, X is written whole: S (0..35), then X from 36.
    const Written out = serializeFile(buildLod(Chain{subTree(), special(1, {{1, 1, 1}})}).bytes);
    EXPECT_EQ(word(out.words, 4), 36);   // S next: X
    EXPECT_EQ(word(out.words, 8), 36);   // S empty vertex table: what follows
    EXPECT_EQ(word(out.words, 12), 0);
    EXPECT_EQ(word(out.words, 32), -1);  // S first child
    EXPECT_EQ(word(out.words, 36), 0x4650F8);
    EXPECT_EQ(word(out.words, 36 + 8), 60);  // X vertex table right after its record
    EXPECT_EQ(word(out.words, 36 + 16), 1);  // specialType
    EXPECT_EQ(word(out.words, 36 + 20), -1);  // X first child
    EXPECT_EQ(out.codes, (std::vector<int32_t>{1, 10}));
}

TEST(Serializer, SplitWithOnlyBranchBWritesItRightAfterTheRecord) {
    const Written out = serializeTree(split({}, {cp(kPoint)}, {1, 2, 3, 4}));
    EXPECT_EQ(word(out.words, 8), static_cast<int32_t>(bits(1.0f)));
    EXPECT_EQ(word(out.words, 24), -1);  // branchA
    EXPECT_EQ(word(out.words, 28), 32);  // branchB
    EXPECT_EQ(word(out.words, 32), 0x465118);
}

TEST(Serializer, SwitchTableFollowsTheRecordAndAbsentBranchesKeepMinusOne) {
    const Written out = serializeTree(switchNode({{cp(kPoint)}, {}, {cp(kPoint)}}, 7));
    EXPECT_EQ(word(out.words, 8), 7);
    EXPECT_EQ(word(out.words, 12), 3);
    EXPECT_EQ(word(out.words, 16), 20);  // the table slot's own position + 4
    EXPECT_EQ(word(out.words, 20), 32);
    EXPECT_EQ(word(out.words, 24), -1);
    EXPECT_EQ(word(out.words, 28), 64);
    EXPECT_EQ(out.codes, (std::vector<int32_t>{5, 9, 9}));
}

TEST(Serializer, XSwitchIsWrittenAsSwitchWithoutFlags) {
    const Written out = serializeTree(xswitch({{cp(kPoint)}}, 1, 4));
    EXPECT_EQ(word(out.words, 0), 0x465148);
    EXPECT_EQ(word(out.words, 8), 4);   // switchId
    EXPECT_EQ(word(out.words, 12), 1);  // branchCount, no flags word before it
    EXPECT_EQ(word(out.words, 16), 20);
    EXPECT_EQ(out.codes, (std::vector<int32_t>{5, 9}));

    const Loaded back = load(repacked(buildLod(xswitch({{cp(kPoint)}}, 1, 4)).bytes));
    auto* s = as<SwitchNode>(back.root());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(as<XSwitchNode>(back.root()), nullptr);
    EXPECT_EQ(s->switchId, 4);
    EXPECT_NE(s->branch(0), nullptr);
}

TEST(Serializer, XDofFlagsAreWrittenAsHeldWithBit31) {
    Node x = xdof(kIdentity, {1, 2, 3});
    x.flags = 5;
    const Written out = serializeTree(x);
    EXPECT_EQ(word(out.words, 56), static_cast<int32_t>(0x80000005u));
    const Loaded back = load(repacked(buildLod(x).bytes));
    ASSERT_NE(as<XDofNode>(back.root()), nullptr);
    EXPECT_EQ(as<XDofNode>(back.root())->flags, static_cast<int32_t>(0x80000005u));
}

TEST(Serializer, ScaleAndSlotRecordsHoldTheirOwnWordsInFileOrder) {
    Node s = scale({7, 8, 9});
    s.dofId = 3;
    s.opaqueVector = {10, 11, 12};
    const Written scaleOut = serializeTree(s);
    EXPECT_EQ(scaleOut.codes, (std::vector<int32_t>{13}));
    EXPECT_EQ(word(scaleOut.words, 36), 3);
    EXPECT_EQ(word(scaleOut.words, 60), static_cast<int32_t>(bits(7.0f)));
    EXPECT_EQ(word(scaleOut.words, 80), static_cast<int32_t>(bits(12.0f)));
    EXPECT_EQ(word(scaleOut.words, 8), 84);  // 12 own words, then the tables

    const Written slotOut = serializeTree(slot(42, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12}));
    EXPECT_EQ(slotOut.words.size(), 15u);
    for (int i = 0; i < 9; ++i)  // row by row, as read
        EXPECT_EQ(slotOut.words[static_cast<size_t>(2 + i)], static_cast<int32_t>(bits(static_cast<float>(1 + i))));
    EXPECT_EQ(slotOut.words[13], static_cast<int32_t>(bits(12.0f)));
    EXPECT_EQ(slotOut.words[14], 42);
}

TEST(Serializer, PolygonWithPerVertexColoursAndNormalsWritesBlocksInSlotOrder) {
    Prim p = prim(5, {0, 1, 2});
    p.polyData = {1, 2, 3, 4};
    const Written out = serializeTree(cp(p));
    // CP record 0..11, primitive record 12..47, blocks from 48.
    EXPECT_EQ(std::vector<int32_t>(out.words.begin() + 3, out.words.begin() + 12),
              (std::vector<int32_t>{5, 3, 48, static_cast<int32_t>(bits(1.0f)), static_cast<int32_t>(bits(2.0f)),
                                    static_cast<int32_t>(bits(3.0f)), static_cast<int32_t>(bits(4.0f)), 60, 72}));
    EXPECT_EQ(std::vector<int32_t>(out.words.begin() + 12, out.words.end()),
              (std::vector<int32_t>{0, 1, 2, 10, 11, 12, 0, 1, 2}));
}

TEST(Serializer, LitStringAndRcNodeSurviveARoundTrip) {
    std::array<uint8_t, 32> data{};
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0xA0 + i);
    const auto bytes = buildLod(root({}, {litString(), rcNode(2, data), cp(kPoint)})).bytes;
    const Loaded back = load(repacked(bytes));
    auto* r = as<RootNode>(back.root());
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(chainLength(r->firstChild.get()), 3u);
    EXPECT_NE(as<LitStringNode>(r->firstChild.get()), nullptr);
    auto* rc = as<RcNode>(r->firstChild->next.get());
    ASSERT_NE(rc, nullptr);
    EXPECT_EQ(rc->rcType, 2);
    EXPECT_EQ(rc->rcData, data);
    EXPECT_NE(as<PolygonNode>(rc->next.get()), nullptr);
}

TEST(Serializer, FileTableIsInCreationOrderNotWritingOrder) {
    // R holds A, B; A holds a PT, B a CP. The reader creates R, A, B, then
    // B's children, then A's.
    const auto bytes = buildLod(root({}, {subTree({}, {pt(kPoint)}), subTree({}, {cp(kPoint)})})).bytes;
    EXPECT_EQ(serializeFile(bytes).codes, (std::vector<int32_t>{2, 1, 7, 1, 9}));
    const auto out = repacked(bytes);
    ASSERT_GE(out.size(), 24u);
    std::vector<int32_t> header;
    for (size_t i = 0; i < 6; ++i) header.push_back(loadI32LE(out.data() + 4 * i));
    EXPECT_EQ(header, (std::vector<int32_t>{5, 2, 1, 1, 9, 7}));
}

TEST(Serializer, ModelWithoutRootIsACountOfZero) {
    EXPECT_EQ(repacked(rawLod({}, {})), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(repacked(rawLod({0}, {1, 2, 3})), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(Serializer, UnreadableBlocksAreWrittenSoTheRecordStaysWhole) {
    Node missingVertices = cp(prim(5, {0, 1}));
    missingVertices.label = "v";
    Node missingColours = cp(prim(4, {0, 1}));
    missingColours.label = "c";
    Node missingPrimitive = pt(kPoint);
    missingPrimitive.label = "p";
    Node unknownType = cp(prim(0, {3, 4}));
    unknownType.label = "u";
    auto built = buildLod(root({}, {missingVertices, missingColours, missingPrimitive, unknownType}));
    built.setInt32(built.offsetOf("v") + 12 + 8, 1 << 20);       // vertex block past the end
    built.setInt32(built.offsetOf("c") + 12 + 28, 1 << 20);      // colour block past the end
    built.setInt32(built.offsetOf("p") + 8, -(1 << 20));         // record before the file
    built.setInt32(built.offsetOf("u") + 12, 27);                // type without flags
    const auto once = repacked(built.bytes);
    const Loaded back = load(once);
    EXPECT_EQ(back.messages, "  FUBAR!\n");
    auto* r = as<RootNode>(back.root());
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(chainLength(r->firstChild.get()), 4u);

    LodNode* n = r->firstChild.get();
    const Primitive* v = as<SinglePrimitiveNode>(n)->primitive();
    EXPECT_EQ(v->vertexCount(), 0);  // no indices: nothing of it is kept
    EXPECT_FALSE(v->colorIndices().present());

    n = n->next.get();
    const Primitive* c = as<SinglePrimitiveNode>(n)->primitive();
    ASSERT_EQ(c->vertexCount(), 2);
    ASSERT_TRUE(c->colorIndices().present());
    EXPECT_EQ(c->colorIndices()[0], 0);
    EXPECT_EQ(c->colorIndices()[1], 0);
    EXPECT_EQ(c->vertexIndices()[1], 1);

    n = n->next.get();
    const Primitive* p = as<SinglePrimitiveNode>(n)->primitive();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->type(), 0);
    EXPECT_EQ(p->vertexCount(), 0);
    EXPECT_EQ(p->colorIndex(), 0);

    n = n->next.get();
    const Primitive* u = as<SinglePrimitiveNode>(n)->primitive();
    EXPECT_EQ(u->type(), 27);
    ASSERT_EQ(u->vertexCount(), 2);
    EXPECT_EQ(u->vertexIndices()[1], 4);

    EXPECT_EQ(repacked(once), once);
}

TEST(Serializer, ModelTooLargeForThirtyTwoBitOffsetsIsRefusedNotTruncated) {
    // A thousand records naming one 2.4 MB vertex table: each gets its own
    // copy when written, which no 32-bit offset can reach.
    constexpr int32_t kVertices = 200000;
    Node big = subTree(std::vector<Vec3>(kVertices, Vec3{1, 2, 3}));
    big.label = "big";
    Chain children{big};
    for (int i = 0; i < 999; ++i) {
        children.push_back(subTree());
        children.back().label = "s" + std::to_string(i);
    }
    auto built = buildLod(root({}, children));
    const int32_t table = built.int32At(built.offsetOf("big") + 8);
    for (int i = 0; i < 999; ++i) {
        built.setField("s" + std::to_string(i), 8, table);
        built.setField("s" + std::to_string(i), 12, kVertices);
    }
    const Loaded loaded = load(built);
    std::vector<uint8_t> out{1, 2, 3};
    std::string error;
    mevlo::MessageCount messages;
    EXPECT_FALSE(writeLodFile(*loaded.model, messages, out, error));
    EXPECT_TRUE(out.empty());
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
}
