// The lodtool executable as a user runs it: subcommands, streams and exit
// statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lod/node_type.h"
#include "lod_builder.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

class LodtoolCli : public testing::Test {
protected:
    void SetUp() override {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(testing::TempDir()) / (std::string("lodtool_cli_") + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs lodtool with the given (already quoted) arguments.
    ToolRun lodtool(const std::string& arguments) const {
        const fs::path out = dir_ / "stdout";
        const fs::path err = dir_ / "stderr";
        const std::string command = quoted(std::string(MEVLO_BINARY_DIR) + "/lodtool") + " " + arguments + " >" +
                                    quoted(out.string()) + " 2>" + quoted(err.string());
        ToolRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = readFile(out);
        run.err = readFile(err);
        return run;
    }

    std::string writeModel(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    fs::path dir_;
};

bool isOneLine(const std::string& text) {
    return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
}

TEST_F(LodtoolCli, ListPrintsTheLoadingMessagesThenTheListing) {
    using namespace lodtest;
    lodtest::BuildOptions options;
    // The second SubTree's entry is out of range: the loader says so and
    // leaves it out.
    options.typeTable = std::vector<int32_t>{mevlo::NODE_ROOT, mevlo::NODE_SUBTREE, 17};
    const std::string model = writeModel("model.lod", buildLod(root({}, {subTree(), subTree()}), options).bytes);

    const ToolRun run = lodtool("list " + quoted(model));
    EXPECT_EQ(run.status, 0);
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
        const ToolRun run = lodtool("list " + quoted(entry.path().string()));
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
    const ToolRun run = lodtool("list " + quoted((source / "samples" / "switches.lod").string()));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, readFile(source / "tests" / "data" / "switches_sample_listing.txt"));
}

TEST_F(LodtoolCli, ListOfAFileThatCannotBeReadFailsWithOneLineNamingIt) {
    const std::string missing = (dir_ / "no such model.lod").string();
    ToolRun run = lodtool("list " + quoted(missing));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(isOneLine(run.err)) << run.err;
    EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;

    // A directory opens but cannot be read.
    run = lodtool("list " + quoted(dir_.string()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(isOneLine(run.err)) << run.err;
    EXPECT_NE(run.err.find(dir_.string()), std::string::npos) << run.err;
}

TEST_F(LodtoolCli, HelpAndVersionGoToStandardOutput) {
    ToolRun run = lodtool("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Usage: lodtool"), std::string::npos);
    EXPECT_NE(run.out.find("list MODEL.lod"), std::string::npos);
    EXPECT_EQ(run.err, "");

    run = lodtool("--version");
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(isOneLine(run.out)) << run.out;
    EXPECT_NE(run.out.find("lodtool"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST_F(LodtoolCli, WrongUseShowsTheUsageOnStandardErrorWithStatusOne) {
    for (const std::string arguments : {"", "frobnicate", "list", "list a.lod b.lod", "--helpme"}) {
        const ToolRun run = lodtool(arguments);
        EXPECT_EQ(run.status, 1) << "'" << arguments << "'";
        EXPECT_EQ(run.out, "") << "'" << arguments << "'";
        EXPECT_NE(run.err.find("Usage: lodtool"), std::string::npos) << "'" << arguments << "'";
    }
}

}  // namespace
