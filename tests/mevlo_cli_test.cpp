// The mevlo command as a whole: argument and input refusals, the order of
// its console lines, exit statuses, and when the output file is (not)
// created.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "command_runner.h"
#include "lod/lod_model.h"
#include "out3ds/convert.h"
#include "out3ds/write3ds.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;
namespace fs = std::filesystem;

namespace {

const std::string kUsage = "Invalid syntax! Usage mevlo inFile.lod outFile.3ds\n";

using RunResult = CommandRun;

class MevloCommand : public testing::Test {
protected:
    RunResult run(const std::vector<std::string>& args, const RunOptions& options = {}) const {
        return runBuiltCommand(dir.path(), "mevlo", args, options);
    }

    std::string model(const std::string& name, const BuiltLod& built) const {
        const fs::path path = dir / name;
        writeBytes(path, built.bytes);
        return path.string();
    }

    ScratchDir dir;
};

// The lines that follow the banner for a run that gets past loading.
std::string facts(const std::string& in, const std::string& out, int nodes) {
    return "\nOpened " + in + "\nOutput file " + out + "\nNumber of nodes: " + std::to_string(nodes) + "\n";
}

// The banner: an empty line and three lines of text, before the facts.
void expectBannerThenFacts(const std::string& out, const std::string& factLines) {
    const size_t facts = out.find(factLines);
    ASSERT_NE(facts, std::string::npos) << out;
    const std::string banner = out.substr(0, facts);
    ASSERT_EQ(banner.size() > 0 ? banner[0] : '?', '\n') << banner;
    EXPECT_EQ(std::count(banner.begin(), banner.end(), '\n'), 4) << banner;
    EXPECT_EQ(banner.find("\n\n", 1), std::string::npos) << banner;
}

}  // namespace

TEST_F(MevloCommand, WrongArgumentCountPrintsOnlyTheUsage) {
    const std::string out = (dir / "out.3ds").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"in.lod"}, {"in.lod", out, "extra.3ds"}}) {
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, kUsage);
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(MevloCommand, UnreadableInputIsRefusedAndTheOutputLeftUntouched) {
    const fs::path out = dir / "keep.3ds";
    writeBytes(out, {'k', 'e', 'e', 'p'});
    for (const std::string& in : {(dir / "missing.lod").string(), dir.path().string()}) {
        const RunResult r = run({in, out.string()});
        EXPECT_EQ(r.status, 1) << in;
        EXPECT_EQ(r.out, "") << in;
        EXPECT_EQ(r.err, "Source file not found\n") << in;
    }
    EXPECT_EQ(readText(out), "keep");
}

TEST_F(MevloCommand, SuccessfulRunPrintsItsStepsInOrderAndWritesTheScene) {
    const BuiltLod built = buildLod(
        root({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {cp(prim(2, {0, 1, 2, 3})), subTree({{0, 0, 0}})}));
    const std::string in = model("two meshes.lod", built);
    const std::string out = (dir / "two meshes.3ds").string();
    const RunResult r = run({in, out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string factLines = facts(in, out, 3);
    expectBannerThenFacts(r.out, factLines);
    const std::string tail = factLines +
                             "Faces dropped: 1 (vertex index out of range)\n"
                             "Begin Write\n"
                             "Objects built: 2\n"
                             "Write OK.\n";
    ASSERT_GE(r.out.size(), tail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);

    // The file is exactly the scene converted in this process.
    const Loaded loaded = load(built);
    Scene3ds scene;
    ConversionState state(scene);
    ASSERT_TRUE(convertTree(loaded.root(), state));
    const std::vector<uint8_t> expected = encode3ds(scene);
    EXPECT_EQ(readText(out), std::string(expected.begin(), expected.end()));
}

TEST_F(MevloCommand, ModelWithoutARootStillCompletesWithAnEmptyFile) {
    BuildOptions options;
    options.typeTable = std::vector<int32_t>{0};
    options.nodeCount = 0;
    const std::string in = model("noroot.lod", buildLod(root({{1, 2, 3}}), options));
    const std::string out = (dir / "noroot.3ds").string();
    const RunResult r = run({in, out});
    EXPECT_EQ(r.status, 0);
    const std::string tail = facts(in, out, 0) + "Begin Write\nObjects built: 0\nWrite OK.\n";
    ASSERT_GE(r.out.size(), tail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
    EXPECT_EQ(readText(out), std::string("\x4D\x4D\x0C\0\0\0\x3D\x3D\x06\0\0\0", 12));
}

TEST_F(MevloCommand, ModelTooLargeStopsBeforeTheOutputIsOpened) {
    std::vector<Vec3> vertices(kMaxMeshVertices + 1);
    const std::string in = model("big.lod", buildLod(root(vertices)));
    const fs::path out = dir / "keep.3ds";
    writeBytes(out, {'k', 'e', 'e', 'p'});
    const RunResult r = run({in, out.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Model too large: more than 8000 vertices in one mesh (geometry node at offset 0)\n");
    const std::string factLines = facts(in, out.string(), 1);
    ASSERT_GE(r.out.size(), factLines.size());
    EXPECT_EQ(r.out.substr(r.out.size() - factLines.size()), factLines);
    EXPECT_EQ(readText(out), "keep");

    const fs::path fresh = dir / "fresh.3ds";
    EXPECT_EQ(run({in, fresh.string()}).status, 1);
    EXPECT_FALSE(fs::exists(fresh));
}

TEST_F(MevloCommand, OutputThatCannotBeCreatedOrWrittenFailsNamingThePath) {
    const std::string in =
        model("tri.lod", buildLod(root({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {cp(prim(2, {0, 1, 2}))})));

    const std::string noDir = (dir / "no such dir" / "out.3ds").string();
    const RunResult create = run({in, noDir});
    EXPECT_EQ(create.status, 1);
    EXPECT_EQ(create.err.rfind(noDir + ": ", 0), 0u) << create.err;
    EXPECT_EQ(std::count(create.err.begin(), create.err.end(), '\n'), 1);
    EXPECT_EQ(create.out.find("Begin Write"), std::string::npos);

    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    const RunResult full = run({in, "/dev/full"});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err.rfind("/dev/full: ", 0), 0u) << full.err;
    EXPECT_EQ(std::count(full.err.begin(), full.err.end(), '\n'), 1);
    const std::string tail = "Begin Write\nObjects built: 1\n";
    ASSERT_GE(full.out.size(), tail.size());
    EXPECT_EQ(full.out.substr(full.out.size() - tail.size()), tail);
}

// Paths are UTF-8 on every system; on Windows a path outside the user's
// ANSI code page must work too.
TEST_F(MevloCommand, PathsWithAnyCharacterConvert) {
    const BuiltLod built = buildLod(root({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {cp(prim(2, {0, 1, 2}))}));
    const fs::path in = dir.path() / fs::u8path(u8"mod\u00e8le \u00f1 \u6a21\u578b.lod");
    const fs::path out = dir.path() / fs::u8path(u8"sortie \u00f1 \u6a21\u578b.3ds");
    writeBytes(in, built.bytes);
    const RunResult r = run({in.u8string(), out.u8string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find(facts(in.u8string(), out.u8string(), 2)), std::string::npos) << r.out;

    const Loaded loaded = load(built);
    Scene3ds scene;
    ConversionState state(scene);
    ASSERT_TRUE(convertTree(loaded.root(), state));
    const std::vector<uint8_t> expected = encode3ds(scene);
    EXPECT_EQ(readBytes(out), expected);
}

TEST_F(MevloCommand, EveryBundledSampleConverts) {
    int samples = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(MEVLO_SOURCE_DIR) / "samples")) {
        if (entry.path().extension() != ".lod") continue;
        ++samples;
        const fs::path out = dir.path() / entry.path().filename().replace_extension(".3ds");
        const RunResult r = run({entry.path().string(), out.string()});
        EXPECT_EQ(r.status, 0) << entry.path();
        EXPECT_EQ(r.err, "") << entry.path();
        EXPECT_NE(r.out.find("Write OK.\n"), std::string::npos) << entry.path();
        const std::string file = readText(out);
        ASSERT_GE(file.size(), 12u);
        EXPECT_EQ(loadU32LE(reinterpret_cast<const uint8_t*>(file.data()) + 2), file.size());
        EXPECT_GT(file.size(), 12u) << "no objects in " << entry.path();
    }
    EXPECT_GE(samples, 3);
}
