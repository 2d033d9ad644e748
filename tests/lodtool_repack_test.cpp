// `lodtool repack` as a user runs it: what it writes, what it prints, and
// that a failed run leaves no output file behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "command_runner.h"
#include "lod/serialize/lod_file_writer.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace lodtest;

using RepackRun = CommandRun;

class LodtoolRepack : public testing::Test {
protected:
    RepackRun repack(const std::string& in, const std::string& out) const {
        return runBuiltCommand(dir_.path(), "lodtool", {"repack", in, out});
    }

    ScratchDir dir_;
};

}  // namespace

TEST_F(LodtoolRepack, WritesTheSerializedModelAndPrintsOnlyTheLoadingMessages) {
    Prim odd = prim(2, {0, 1, 2});
    odd.type = 27;  // read with a message, written back as read
    const auto built = buildLod(root({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                                     {subTree({}, {cp(prim(2, {0, 1, 2}))}), cp(odd), xswitch({{pt(prim(0, {1}))}})}));
    const fs::path in = dir_ / "in.lod";
    const fs::path out = dir_ / "out.lod";
    writeBytes(in, built.bytes);

    const RepackRun run = repack(in.string(), out.string());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "  FUBAR!\n");
    EXPECT_EQ(run.err, "");

    const Loaded loaded = load(built.bytes);
    std::vector<uint8_t> expected;
    std::string error;
    mevlo::MessageCount messages;
    ASSERT_TRUE(mevlo::writeLodFile(*loaded.model, messages, expected, error));
    EXPECT_EQ(readBytes(out), expected);

    // Repacking the result changes nothing.
    const fs::path again = dir_ / "again.lod";
    EXPECT_EQ(repack(out.string(), again.string()).status, 0);
    EXPECT_EQ(readBytes(again), expected);
}

// A UTF-8 path with characters of several scripts, written over in place:
// on Windows outside any ANSI code page.
TEST_F(LodtoolRepack, InPlaceRepackOfAPathWithAnyCharacter) {
    const auto built = buildLod(root({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {cp(prim(2, {0, 1, 2}))}));
    const fs::path model = dir_.path() / fs::u8path(u8"mod\u00e8le \u00f1 \u6a21\u578b.lod");
    writeBytes(model, built.bytes);
    const RepackRun run = repack(model.u8string(), model.u8string());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");

    const Loaded loaded = load(built.bytes);
    std::vector<uint8_t> expected;
    std::string error;
    mevlo::MessageCount messages;
    ASSERT_TRUE(mevlo::writeLodFile(*loaded.model, messages, expected, error));
    EXPECT_EQ(readBytes(model), expected);
}

TEST_F(LodtoolRepack, EveryBundledSampleRepacksToItselfOnTheSecondPass) {
    int samples = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(MEVLO_SOURCE_DIR) / "samples")) {
        if (entry.path().extension() != ".lod") continue;
        ++samples;
        const fs::path once = dir_ / "once.lod";
        const fs::path twice = dir_ / "twice.lod";
        const RepackRun first = repack(entry.path().string(), once.string());
        EXPECT_EQ(first.status, 0) << entry.path();
        EXPECT_EQ(first.err, "") << entry.path();
        EXPECT_EQ(repack(once.string(), twice.string()).status, 0) << entry.path();
        EXPECT_EQ(readBytes(once), readBytes(twice)) << entry.path();
    }
    EXPECT_GT(samples, 0);
}

TEST_F(LodtoolRepack, AnInputThatCannotBeReadIsRefusedInOneLineAndNothingIsWritten) {
    const fs::path out = dir_ / "out.lod";
    for (const fs::path& in : {dir_ / "no such model.lod", dir_.path()}) {  // missing; a directory cannot be read
        const RepackRun run = repack(in.string(), out.string());
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(isOneLine(run.err)) << run.err;
        EXPECT_NE(run.err.find(in.string()), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(LodtoolRepack, AnOutputThatCannotBeWrittenFailsInOneLineWithoutATruncatedFile) {
    const fs::path in = dir_ / "in.lod";
    writeBytes(in, buildLod(root({{1, 2, 3}}, {cp(prim(0, {0}))})).bytes);

    RepackRun run = repack(in.string(), "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(isOneLine(run.err)) << run.err;
    EXPECT_NE(run.err.find("/dev/full"), std::string::npos) << run.err;

    const fs::path nowhere = dir_ / "no such dir" / "out.lod";
    run = repack(in.string(), nowhere.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(isOneLine(run.err)) << run.err;
    EXPECT_NE(run.err.find(nowhere.string()), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(nowhere));
}
