// How models get into memory: a regular file is mapped, and a file another
// process truncates meanwhile ends in a message instead of a crash; inputs
// that cannot be mapped (pipes) are read, with the same results.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "command_runner.h"
#include "io/input_file.h"
#include "lod/listing/listing_writer.h"
#include "lod/lod_model.h"
#include "lod_builder.h"
#include "out3ds/convert.h"
#include "out3ds/scene.h"

using namespace lodtest;
namespace fs = std::filesystem;

namespace {

// A model of a few hundred KiB whose vertex table lies well past the first
// page of the file.
std::vector<uint8_t> modelOfManyPages() {
    std::vector<mevlo::Vec3> vertices;
    for (int i = 0; i < 8000; ++i) vertices.push_back({static_cast<float>(i), 1.0f, -1.0f});
    std::vector<int32_t> fan;
    for (int i = 0; i < 2000; ++i) fan.push_back(i);
    return buildLod(root(vertices, {cp(prim(2, fan))})).bytes;
}

}  // namespace

// The truncation happens deterministically between loading and converting,
// where another process could cut the file at any moment: the pages past
// the new end read as zeros, and the loss is reported by intact().
TEST(InputFile, AMappedFileTruncatedWhileInUseReadsZerosAndReportsTheLoss) {
    const ScratchDir dir;
    const fs::path path = dir / "model.lod";
    const std::vector<uint8_t> bytes = modelOfManyPages();
    writeBytes(path, bytes);

    mevlo::InputFile input;
    std::string error;
    ASSERT_TRUE(input.open(path.string(), error)) << error;
    if (!input.mapped()) GTEST_SKIP() << "inputs are read, not mapped, on this system";
    ASSERT_EQ(input.size(), bytes.size());
    EXPECT_TRUE(input.intact());

    mevlo::MessageCount messages;
    mevlo::LodModel model;
    model.loadInput(std::move(input), messages);
    ASSERT_NE(model.root, nullptr);
    EXPECT_TRUE(model.input().intact());

    fs::resize_file(path, 4096);
    mevlo::Scene3ds scene;
    mevlo::ConversionState conversion(scene);
    mevlo::convertTree(model.root.get(), conversion);  // reads the lost pages
    EXPECT_FALSE(model.input().intact());
    const uint8_t* data = model.input().data();
    EXPECT_EQ(std::vector<uint8_t>(data, data + 4096), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4096));
    EXPECT_EQ(data[bytes.size() - 1], 0);
    // A listing made after the loss is held back.
    std::string listed;
    {
        mevlo::ListingWriter listing([&listed](const char* text, size_t size) { listed.append(text, size); },
                                     &model.input());
        model.root->print(listing);
    }
    EXPECT_EQ(listed, "");
    EXPECT_EQ(mevlo::InputFile::lostMessage("m.lod"), "m.lod: cannot read: the file was truncated while being read");
}

// Models arriving through a pipe are read instead of mapped, with the same
// results.
TEST(InputFile, PipedRunsGiveTheSameResultsAsPlainOnes) {
#if defined(_WIN32)
    GTEST_SKIP() << "the pipe is made by a POSIX shell";
#endif
    const ScratchDir dir;
    const fs::path lod = dir / "model.lod";
    writeBytes(lod, modelOfManyPages());
    const std::string lodArg = lod.string();

    ASSERT_EQ(runBuiltCommand(dir.path(), "mevlo", {lodArg, (dir / "plain.3ds").string()}).status, 0);
    RunOptions piped;
    piped.shellSetup = "cat " + shellQuoted(lodArg) + " |";
    const CommandRun fromPipe = runBuiltCommand(dir.path(), "mevlo", {"/dev/stdin", (dir / "piped.3ds").string()}, piped);
    EXPECT_EQ(fromPipe.status, 0) << fromPipe.err;
    EXPECT_EQ(readBytes(dir / "piped.3ds"), readBytes(dir / "plain.3ds"));
    const CommandRun listed = runBuiltCommand(dir.path(), "lodtool", {"list", lodArg});
    const CommandRun listedFromPipe = runBuiltCommand(dir.path(), "lodtool", {"list", "/dev/stdin"}, piped);
    EXPECT_EQ(listedFromPipe.status, 0) << listedFromPipe.err;
    EXPECT_EQ(listedFromPipe.out, listed.out);
}

// Converting or repacking a mapped file onto itself replaces it while the
// mapping still holds the old file.
TEST(InputFile, RunsOntoTheirOwnInputGiveTheSameResultsAsPlainOnes) {
    const ScratchDir dir;
    const fs::path lod = dir / "model.lod";
    writeBytes(lod, modelOfManyPages());
    const std::string lodArg = lod.string();

    ASSERT_EQ(runBuiltCommand(dir.path(), "mevlo", {lodArg, (dir / "plain.3ds").string()}).status, 0);
    ASSERT_EQ(runBuiltCommand(dir.path(), "lodtool", {"repack", lodArg, (dir / "copy.lod").string()}).status, 0);
    const CommandRun overItself = runBuiltCommand(dir.path(), "lodtool", {"repack", lodArg, lodArg});
    EXPECT_EQ(overItself.status, 0) << overItself.err;
    EXPECT_EQ(readBytes(lod), readBytes(dir / "copy.lod"));
    const fs::path converted = dir / "converted.lod";
    fs::copy_file(lod, converted);
    EXPECT_EQ(runBuiltCommand(dir.path(), "mevlo", {converted.string(), converted.string()}).status, 0);
    EXPECT_EQ(readBytes(converted), readBytes(dir / "plain.3ds"));
}
