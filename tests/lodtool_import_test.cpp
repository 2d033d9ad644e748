// lodtool import as a user runs it: usage, and a batch in which files fail
// one by one without stopping the others or leaving output behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "command_runner.h"

namespace {

namespace fs = std::filesystem;
using namespace lodtest;

class LodtoolImport : public testing::Test {
protected:
    CommandRun run(const std::vector<std::string>& arguments) const {
        return runBuiltCommand(dir_.path(), "lodtool", arguments);
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    void write(const std::string& name, const std::string& text) const {
        writeBytes(dir_ / name, std::vector<uint8_t>(text.begin(), text.end()));
    }

    ScratchDir dir_;
};

TEST_F(LodtoolImport, HelpAndUsageErrors) {
    const CommandRun help = run({"import", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: lodtool import [options] MODEL.glb|MODEL.gltf OUT.lod\n", 0), 0u) << help.out;
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"import", path("a.glb")},
             {"import", "--max-vertices", "2", path("a.glb"), path("a.lod")},
             {"import", "--scale", "-1", path("a.glb"), path("a.lod")},
             {"import", "--frobnicate", path("a.glb"), path("a.lod")}}) {
        SCOPED_TRACE(wrong[1]);
        const CommandRun r = run(wrong);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.rfind("lodtool import: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find("Usage: lodtool import"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(LodtoolImport, EachFailingFileGetsOneLineAndNoOutput) {
    write("loop.gltf", R"({"asset":{"version":"2.0"},"nodes":[{"children":[1]},{"children":[0]}]})");
    write("draco.gltf", R"({"asset":{"version":"2.0"},"extensionsRequired":["KHR_draco_mesh_compression"]})");
    write("broken.glb", "glTF\x02");
    const CommandRun r =
        run({"import", "-o", path("out"), path("loop.gltf"), path("missing.glb"), path("draco.gltf"), path("broken.glb")});
    EXPECT_EQ(r.status, 1);
    // The system words the missing file's reason; the rest is ours.
    const std::string missing = "lodtool: " + path("missing.glb") + ": cannot open: ";
    const size_t missingAt = r.err.find(missing);
    ASSERT_NE(missingAt, std::string::npos) << r.err;
    std::string err = r.err;
    err.erase(missingAt + missing.size(), err.find('\n', missingAt) - missingAt - missing.size());
    EXPECT_EQ(err, "lodtool: " + path("loop.gltf") + ": nodes[0]: lies on a loop of children\n" + missing + "\n" +
                       "lodtool: " + path("draco.gltf") +
                       ": requires the extension KHR_draco_mesh_compression, which the import does not read\n" +
                       "lodtool: " + path("broken.glb") + ": truncated GLB: no room for its 12-byte header\n");
    EXPECT_EQ(r.out, "Imported: 0 written, 4 failed, 0 triangles\n");
    EXPECT_TRUE(fs::is_directory(dir_ / "out"));
    EXPECT_TRUE(fs::is_empty(dir_ / "out"));

    // One file, quiet: the line, status 1, nothing written.
    const CommandRun one = run({"import", "-q", path("loop.gltf"), path("one.lod")});
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(one.out, "");
    EXPECT_FALSE(fs::exists(dir_ / "one.lod"));
}

}  // namespace
