// Hostile and damaged input through every command: each case ends with a
// clear message or a sound result (a valid 3DS, a listing, a repack that
// reads back the same), never a crash, a hang or a corrupt output file.
// In-process checks cover the three paths; the built binaries cover exit
// statuses, messages and output files.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/hostile_models.h"
#include "fuzz/pipeline_checks.h"
#include "fuzz/seed_models.h"
#include "lod/control_nodes.h"
#include "lod/serialize/lod_file_writer.h"
#include "lod/subtree_node.h"
#include "command_runner.h"
#include "test_support.h"

using namespace lodtest;

namespace {

namespace fs = std::filesystem;

// Listing lines that hold exactly `line` after their indentation.
size_t countLines(const std::string& text, const std::string& line) {
    size_t n = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
        if (at == 0 || text[at - 1] == '\n' || text[at - 1] == ' ') ++n;
    }
    return n;
}

// What is wrong when the three paths run on bytes ("" when all are sound).
std::string problemsInEveryPath(const std::vector<uint8_t>& bytes) {
    std::string problems = mevlofuzz::checkConversion(bytes.data(), bytes.size());
    mevlofuzz::listModel(bytes.data(), bytes.size(), [](const char*, size_t) {});
    const std::string repack = mevlofuzz::checkRepack(bytes.data(), bytes.size());
    if (!repack.empty()) problems += (problems.empty() ? "" : "; ") + repack;
    return problems;
}

std::string listingOf(const std::vector<uint8_t>& bytes) {
    std::string text;
    mevlofuzz::listModel(bytes.data(), bytes.size(),
                         [&text](const char* block, size_t size) { text.append(block, size); });
    return text;
}

mevlofuzz::ConversionOutcome conversionOf(const std::vector<uint8_t>& bytes) {
    auto loaded = load(bytes);
    return mevlofuzz::convertModel(*loaded.model);
}

std::vector<uint8_t> everyNodeTypeModel() {
    for (const auto& seed : mevlofuzz::seedModels()) {
        if (seed.name == "every_node_type") return seed.bytes;
    }
    return {};
}

using ToolRun = CommandRun;

class HostileCommands : public testing::Test {
protected:
    fs::path file(const std::string& name) const { return dir_ / name; }

    fs::path input(const std::vector<uint8_t>& bytes, const std::string& name = "in.lod") const {
        writeBytes(file(name), bytes);
        return file(name);
    }

    // Runs a built binary; stdout is kept only when keepOut (a listing of a
    // million nodes is not worth reading back).
    ToolRun run(const std::string& binary, const std::vector<std::string>& arguments, bool keepOut = true) const {
        RunOptions options;
        if (!keepOut) options.stdoutPath = testprocess::kDiscardOutput;
        return runBuiltCommand(dir_.path(), binary, arguments, options);
    }

    ToolRun mevlo(const fs::path& in, const fs::path& out) const { return run("mevlo", {in.string(), out.string()}); }
    ToolRun list(const fs::path& in, bool keepOut = true) const {
        return run("lodtool", {"list", in.string()}, keepOut);
    }
    ToolRun repack(const fs::path& in, const fs::path& out) const {
        return run("lodtool", {"repack", in.string(), out.string()});
    }

    ScratchDir dir_;
};

}  // namespace

TEST_F(HostileCommands, MillionNodeChainIsConvertedListedAndRepackedWithoutRecursion) {
    const int32_t n = 1000000;
    const fs::path in = input(mevlofuzz::hostileLongChain(n + 1));

    const ToolRun converted = mevlo(in, file("out.3ds"));
    EXPECT_EQ(converted.status, 0) << converted.err;
    EXPECT_NE(converted.out.find("Number of nodes: 1000001\n"), std::string::npos);
    EXPECT_NE(converted.out.find("Write OK.\n"), std::string::npos);
    const std::vector<uint8_t> file3ds = readBytes(file("out.3ds"));
    EXPECT_EQ(mevlofuzz::check3dsStructure(file3ds), "");
    EXPECT_EQ(file3ds.size(), 12u + 12u * 3u + 33u);  // the Root's three vertices, no face

    const ToolRun listed = list(in, false);
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.err, "");

    const ToolRun repacked = repack(in, file("out.lod"));
    ASSERT_EQ(repacked.status, 0) << repacked.err;
    const std::vector<uint8_t> written = readBytes(file("out.lod"));
    auto reloaded = load(written);
    ASSERT_NE(as<mevlo::RootNode>(reloaded.root()), nullptr);
    EXPECT_EQ(chainLength(as<mevlo::RootNode>(reloaded.root())->firstChild.get()), static_cast<size_t>(n));
    std::vector<uint8_t> again;
    std::string error;
    mevlo::MessageCount messages;
    ASSERT_TRUE(mevlo::writeLodFile(*reloaded.model, messages, again, error)) << error;
    EXPECT_TRUE(again == written);
}

TEST_F(HostileCommands, NestingAMillionLevelsDeepStopsAtTheLimitInEveryCommand) {
    const fs::path in = input(mevlofuzz::hostileDeepNesting(1000000));

    // 1001 nested SubTrees are 1001 meshes: more than the scene holds.
    const ToolRun converted = mevlo(in, file("out.3ds"));
    EXPECT_EQ(converted.status, 1);
    EXPECT_EQ(converted.err, "Model too large: more than 600 meshes (geometry node at offset 0)\n");
    EXPECT_FALSE(fs::exists(file("out.3ds")));

    const ToolRun listed = list(in);
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out.rfind("Node Table Error:  Nesting too deep.\n", 0), 0u);
    EXPECT_EQ(countLines(listed.out, "SUBTREE\n"), static_cast<size_t>(mevlo::kMaxNestingDepth + 1));

    const ToolRun repacked = repack(in, file("out.lod"));
    ASSERT_EQ(repacked.status, 0) << repacked.err;
    auto reloaded = load(readBytes(file("out.lod")));
    EXPECT_EQ(reloaded.messages, "");
    EXPECT_EQ(reloaded.model->nodeCount, mevlo::kMaxNestingDepth + 1);
}

TEST_F(HostileCommands, NodeCountOfTwoToThe31MinusOneInATwelveByteFile) {
    const std::vector<uint8_t> twelve = {0xFF, 0xFF, 0xFF, 0x7F, 2, 0, 0, 0, 0x68, 0x51, 0x46, 0};
    EXPECT_EQ(problemsInEveryPath(twelve), "");

    const ToolRun converted = mevlo(input(twelve), file("out.3ds"));
    EXPECT_EQ(converted.status, 0) << converted.err;
    EXPECT_NE(converted.out.find("Number of nodes: 2147483647\n"), std::string::npos);
    EXPECT_EQ(readBytes(file("out.3ds")).size(), 12u);  // no object
    EXPECT_EQ(list(file("in.lod")).status, 0);
    EXPECT_EQ(repack(file("in.lod"), file("out.lod")).status, 0);
}

TEST(HostileInput, NegativeAndHugeValuesInEveryWordLeaveEveryCommandSound) {
    const std::vector<uint8_t> model = everyNodeTypeModel();
    ASSERT_FALSE(model.empty());
    const int32_t hostile[] = {INT32_MIN, -2, -1, 65535, 1 << 30, INT32_MAX - 3, INT32_MAX};
    for (size_t at = 0; at + 4 <= model.size(); at += 4) {
        for (int32_t value : hostile) {
            std::vector<uint8_t> damaged = model;
            mevlo::storeU32LE(&damaged[at], static_cast<uint32_t>(value));
            const std::string problems = problemsInEveryPath(damaged);
            EXPECT_EQ(problems, "") << "word at byte " << at << " set to " << value;
        }
    }
}

TEST(HostileInput, TablesOverlappingRecordsLeaveEveryCommandSound) {
    Node s = subTree({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {cp(prim(2, {0, 1, 2}))});
    s.normals = {{0, 0, 1}, {0, 1, 0}};
    s.label = "s";
    Node w = switchNode({{subTree({{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {pt(prim(0, {0, 1, 2}))})}, {}});
    w.label = "w";
    Node c = cp(prim(26, {0, 1, 2, 3}));
    c.label = "c";
    Node r = root({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {s, w, c});
    r.label = "r";
    r.textures = {1, 2};
    const BuiltLod clean = buildLod(r);

    // Every table offset of the model pointed at every record, at the start
    // of the file (inside the node type table) and into the middle of a
    // record.
    const int32_t primitive = clean.int32At(clean.offsetOf("c") + 8);
    const std::vector<int32_t> targets = {clean.offsetOf("r"), clean.offsetOf("s"), clean.offsetOf("w"),
                                          clean.offsetOf("c"), primitive,          clean.offsetOf("s") + 6,
                                          static_cast<int32_t>(-clean.dataBase)};
    struct Field {
        std::string label;
        int32_t field;
    };
    const Field tableFields[] = {{"r", 8}, {"r", 24}, {"r", 36}, {"s", 8}, {"s", 24}, {"w", 16}, {"c", 8}};
    for (const Field& f : tableFields) {
        for (int32_t target : targets) {
            BuiltLod damaged = clean;
            damaged.setField(f.label, f.field, target);
            EXPECT_EQ(problemsInEveryPath(damaged.bytes), "") << f.label << "+" << f.field << " -> " << target;
        }
    }
    for (int32_t target : targets) {
        BuiltLod damaged = clean;
        damaged.setInt32(primitive + 8, target);  // the primitive's vertex index block
        EXPECT_EQ(problemsInEveryPath(damaged.bytes), "") << "index block -> " << target;
    }
}

TEST(HostileInput, FileTruncatedAtEveryByteEndsSoundlyInEveryCommand) {
    const std::vector<uint8_t> model = everyNodeTypeModel();
    ASSERT_FALSE(model.empty());
    for (size_t length = 0; length <= model.size(); ++length) {
        const std::vector<uint8_t> prefix(model.begin(), model.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(problemsInEveryPath(prefix), "") << "truncated to " << length << " bytes";
    }
}

TEST(HostileInput, SwitchWithTenThousandBranchesKeepsTheFirstFifty) {
    std::vector<Chain> branches;
    for (int i = 0; i < 10000; ++i) {
        const auto f = static_cast<float>(i);
        branches.push_back({subTree({{f, 0, 0}, {f, 1, 0}, {f, 1, 1}}, {cp(prim(2, {0, 1, 2}))})});
    }
    const auto bytes = buildLod(root({{0, 0, 0}}, {switchNode(branches)})).bytes;
    EXPECT_EQ(problemsInEveryPath(bytes), "");
    const auto outcome = conversionOf(bytes);
    EXPECT_FALSE(outcome.failed);
    EXPECT_EQ(outcome.meshCount, 1 + 50);
}

TEST(HostileInput, PrimitiveClaimingTwoToThe31MinusOneVerticesHasNoBlocks) {
    for (int32_t type : {0, 2, 5, 9, 26, 27}) {
        Prim huge = prim(type, {0, 1, 2});
        huge.countOverride = INT32_MAX;
        for (const Node& holder : {pt(huge), cp(huge), lp(huge, huge)}) {
            const auto bytes = buildLod(root({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {holder})).bytes;
            SCOPED_TRACE("primitive type " + std::to_string(type) + " in node code " + std::to_string(holder.code));
            EXPECT_EQ(problemsInEveryPath(bytes), "");
            const auto outcome = conversionOf(bytes);
            EXPECT_EQ(outcome.file3ds.size(), 12u + 12u * 3u + 33u);  // the vertices, no face
            EXPECT_LT(listingOf(bytes).size(), 1000u);
        }
    }
}

TEST(HostileInput, RcNodeWithAnOpcodePastTheTableListsAsInvalidAndRoundTrips) {
    for (uint16_t opcode : {uint16_t{26}, uint16_t{65535}}) {
        std::array<uint8_t, 32> data{};
        data.fill(0xFF);
        data[0] = static_cast<uint8_t>(opcode);
        data[1] = static_cast<uint8_t>(opcode >> 8);
        const auto bytes = buildLod(root({{0, 0, 0}}, {rcNode(mevlo::RC_DOFMATH, data)})).bytes;
        EXPECT_EQ(problemsInEveryPath(bytes), "");
        EXPECT_NE(listingOf(bytes).find("***invalid opcode***"), std::string::npos);
    }
}

TEST_F(HostileCommands, OutputPathEqualToInputPathGetsTheFinishedResult) {
    // The input is read whole before anything is written, so writing over
    // it gives exactly what writing elsewhere gives.
    const auto model = everyNodeTypeModel();
    const fs::path reference = input(model, "reference.lod");
    ASSERT_EQ(mevlo(reference, file("reference.3ds")).status, 0);
    ASSERT_EQ(repack(reference, file("reference_repacked.lod")).status, 0);

    const fs::path inPlace = input(model, "convert_in_place");
    EXPECT_EQ(mevlo(inPlace, inPlace).status, 0);
    EXPECT_TRUE(readBytes(inPlace) == readBytes(file("reference.3ds")));

    const fs::path repackInPlace = input(model, "repack_in_place");
    EXPECT_EQ(repack(repackInPlace, repackInPlace).status, 0);
    EXPECT_TRUE(readBytes(repackInPlace) == readBytes(file("reference_repacked.lod")));
}

// Many nodes naming one index block: the fan is worked out once per mesh
// size, and the count of dropped faces is exact even past 32 bits.
TEST_F(HostileCommands, SharedIndexBlockIsCountedExactlyPastThirtyTwoBits) {
    const int64_t nodes = 2000;
    const int64_t indices = int64_t{1} << 21;
    const auto bytes = mevlofuzz::hostileDroppedFaces(static_cast<size_t>(nodes + 1), static_cast<size_t>(indices));
    EXPECT_EQ(conversionOf(bytes).droppedFaces, nodes * (indices - 2));
    const ToolRun run = mevlo(input(bytes), file("out.3ds"));
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Faces dropped: " + std::to_string(nodes * (indices - 2)) + " (vertex index out of range)\n"),
              std::string::npos);
}

// The outcome of a shared block must not depend on the sharing: the same
// tree with one copy of the block per primitive converts identically, also
// when the block goes into meshes of different sizes (some faces kept in
// one mesh are dropped in the other).
TEST(HostileInput, SharedIndexBlocksConvertAsIfEachHadItsOwnCopy) {
    std::vector<int32_t> pattern;
    for (int32_t i = 0; i < 100; ++i) pattern.push_back((i * 7) % 13);
    Chain small, large;
    for (int i = 0; i < 12; ++i) {
        Node a = cp(prim(2, pattern));
        a.label = "s" + std::to_string(i);
        small.push_back(a);
        Node b = cp(prim(2, pattern));
        b.label = "l" + std::to_string(i);
        large.push_back(b);
    }
    const std::vector<Vec3> five(5, Vec3{1, 2, 3});
    const std::vector<Vec3> twelve(12, Vec3{4, 5, 6});
    const auto copied = buildLod(root({}, {subTree(five, small), subTree(twelve, large)}));
    auto shared = copied;
    // Every primitive's vertex index block offset (record word 2, after
    // type and count) now names the first primitive's block.
    const int32_t firstBlock = shared.int32At(shared.offsetOf("s0") + 12 + 8);
    for (int i = 0; i < 12; ++i) {
        for (const char* side : {"s", "l"}) {
            shared.setInt32(shared.offsetOf(side + std::to_string(i)) + 12 + 8, firstBlock);
        }
    }
    const auto fromCopies = conversionOf(copied.bytes);
    const auto fromShared = conversionOf(shared.bytes);
    EXPECT_FALSE(fromCopies.failed);
    EXPECT_GT(fromCopies.droppedFaces, 0);
    EXPECT_TRUE(fromCopies == fromShared);
}

TEST(HostileInput, DeeplyNestedDofsPastTheTransformBudgetStopWithAMessage) {
    const auto outcome = conversionOf(mevlofuzz::hostileDeepTransforms(600, 8000));
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.limit, "Model too large: more than 100000000 vertex transforms by DOF ancestors");
    // Real nesting stays far below it.
    EXPECT_FALSE(conversionOf(mevlofuzz::hostileDeepTransforms(40, 8000)).failed);
}

// Listing or repacking a file whose records share blocks or nest in
// themselves would print or write far more than the file holds; both
// commands refuse before printing or writing anything.
TEST_F(HostileCommands, ListingAndRepackThatWouldDwarfTheFileAreRefused) {
    const auto shared = input(mevlofuzz::hostileDroppedFaces(4000, 100000), "shared.lod");
    ToolRun run = list(shared);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("listing too large"), std::string::npos) << run.err;

    const auto tables = input(mevlofuzz::hostileSharedTables(200000, 100), "tables.lod");
    run = repack(tables, file("out.lod"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("model too large to write"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(file("out.lod")));

    // Each hostile kind of a mebibyte ends with a result or one message.
    for (const auto& model : mevlofuzz::hostileModels(1 << 20)) {
        SCOPED_TRACE(model.name);
        const auto in = input(model.bytes, model.name + ".lod");
        for (const ToolRun& r : {mevlo(in, file("o.3ds")), list(in, false), repack(in, file("o.lod"))}) {
            EXPECT_TRUE(r.status == 0 || (r.status == 1 && std::count(r.err.begin(), r.err.end(), '\n') == 1))
                << r.status << " " << r.err;
        }
    }
}
