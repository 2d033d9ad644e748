// The lodtool executable as a user runs it: subcommands, streams and exit
// statuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "command_runner.h"
#include "lod/node_type.h"
#include "lod_builder.h"

namespace {

namespace fs = std::filesystem;

using ToolRun = lodtest::CommandRun;
using lodtest::isOneLine;
using lodtest::readText;

class LodtoolCli : public testing::Test {
protected:
    ToolRun lodtool(const std::vector<std::string>& arguments) const {
        return lodtest::runBuiltCommand(dir_.path(), "lodtool", arguments);
    }

    std::string writeModel(const std::string& name, const std::vector<uint8_t>& bytes) const {
        lodtest::writeBytes(dir_ / name, bytes);
        return (dir_ / name).string();
    }

    lodtest::ScratchDir dir_;
};

TEST_F(LodtoolCli, ListPrintsTheLoadingMessagesThenTheListing) {
    using namespace lodtest;
    lodtest::BuildOptions options;
    // The second SubTree's entry is out of range: the loader says so and
    // leaves it out.
    options.typeTable = std::vector<int32_t>{mevlo::NODE_ROOT, mevlo::NODE_SUBTREE, 17};
    const std::string model = writeModel("model.lod", buildLod(root({}, {subTree(), subTree()}), options).bytes);

    const ToolRun run = lodtool({"list", model});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.nativeLineEnds) << "console lines must end as the system's other tools end them";
    EXPECT_EQ(run.out,
              "Node Table Error:  Type out of range.\n"
              ";BEGIN ROOT\nSCRIPT 0\n\n\nSUBTREE\nSUBTREEEND\n;END ROOT\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(LodtoolCli, ListOfEveryBundledSampleSucceeds) {
    int samples = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(MEVLO_SOURCE_DIR) / "samples")) {
        if (entry.path().extension() != ".lod") continue;
        ++samples;
        const ToolRun run = lodtool({"list", entry.path().string()});
        EXPECT_EQ(run.status, 0) << entry.path();
        EXPECT_EQ(run.err, "") << entry.path();
        EXPECT_NE(run.out.find(";BEGIN ROOT\n"), std::string::npos) << entry.path();
    }
    EXPECT_GT(samples, 0);
}

// The switches sample holds a Switch with an absent branch and a two-node
// branch, an XSwitch whose second branch head is a primitive without owner
// (zero vectors), and a Split with a CP and an LP: the expected text was
// checked by hand against the listing rules (indentation inside CP and LP
// lines, SWITCHBRANCH separators at the switch's depth, trailing spaces).
TEST_F(LodtoolCli, ListOfTheSwitchesSampleMatchesTheReviewedListing) {
    const fs::path source(MEVLO_SOURCE_DIR);
    const ToolRun run = lodtool({"list", (source / "samples" / "switches.lod").string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, readText(source / "tests" / "data" / "switches_sample_listing.txt"));
}

TEST_F(LodtoolCli, ListOfAFileThatCannotBeReadFailsWithOneLineNamingIt) {
    const std::string missing = (dir_ / "no such model.lod").string();
    ToolRun run = lodtool({"list", missing});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(isOneLine(run.err)) << run.err;
    EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;

    // A directory opens but cannot be read.
    run = lodtool({"list", dir_.path().string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(isOneLine(run.err)) << run.err;
    EXPECT_NE(run.err.find(dir_.path().string()), std::string::npos) << run.err;
}

TEST_F(LodtoolCli, HelpAndVersionGoToStandardOutput) {
    ToolRun run = lodtool({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Usage: lodtool"), std::string::npos);
    EXPECT_NE(run.out.find("list MODEL.lod"), std::string::npos);
    EXPECT_EQ(run.err, "");

    run = lodtool({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(isOneLine(run.out)) << run.out;
    EXPECT_NE(run.out.find("lodtool"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST_F(LodtoolCli, WrongUseShowsTheUsageOnStandardErrorWithStatusOne) {
    const std::vector<std::vector<std::string>> wrongUses = {
        {}, {"frobnicate"}, {"list"}, {"list", "a.lod", "b.lod"}, {"--helpme"}};
    for (const std::vector<std::string>& arguments : wrongUses) {
        const ToolRun run = lodtool(arguments);
        const std::string shown = arguments.empty() ? "" : arguments[0] + " ...";
        EXPECT_EQ(run.status, 1) << "'" << shown << "'";
        EXPECT_EQ(run.out, "") << "'" << shown << "'";
        EXPECT_NE(run.err.find("Usage: lodtool"), std::string::npos) << "'" << shown << "'";
    }
    // A word that is no command is named before the usage; a known command
    // used wrongly is not called unknown.
    EXPECT_EQ(lodtool({"frobnicate"}).err.rfind("lodtool: unknown command 'frobnicate'\nUsage: lodtool", 0), 0u);
    EXPECT_EQ(lodtool({"list"}).err.rfind("Usage: lodtool", 0), 0u);
}

}  // namespace
