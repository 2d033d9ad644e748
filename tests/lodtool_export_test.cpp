// lodtool export as a user runs it: the formats, the batch mode, and the
// properties users rely on (3DS identical to mevlo's, repeatable output).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "lod_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace lodtest;

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

class LodtoolExport : public testing::Test {
protected:
    void SetUp() override {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(testing::TempDir()) / (std::string("lodtool_export_") + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    ToolRun run(const std::string& tool, const std::string& arguments) const {
        const fs::path out = dir_ / "stdout";
        const fs::path err = dir_ / "stderr";
        const std::string command = "cd " + quoted(dir_.string()) + " && " +
                                    quoted(std::string(MEVLO_BINARY_DIR) + "/" + tool) + " " + arguments + " >" +
                                    quoted(out.string()) + " 2>" + quoted(err.string());
        ToolRun result;
        const int raw = std::system(command.c_str());
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = readFile(out);
        result.err = readFile(err);
        return result;
    }

    void write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    void copySample(const std::string& name) const {
        fs::copy_file(fs::path(MEVLO_SOURCE_DIR) / "samples" / name, dir_ / name);
    }

    fs::path dir_;
};

// A model with dropped faces, a point set that 3DS fans, and DOFs.
std::vector<uint8_t> droppedFacesModel() {
    const std::vector<Vec3> quad = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const Matrix turn = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    return buildLod(root(quad, {cp(prim(2, {0, 1, 2, 9})), pt(prim(0, {0, 1, 2})),
                                dof(turn, {1, 2, 3}, quad, {cp(prim(9, {0, 1, 2, 3}))})}))
        .bytes;
}

TEST_F(LodtoolExport, ThreeDsOutputIsMevlosFileAndDroppedFacesLine) {
    for (const char* sample : {"transforms.lod", "switches.lod", "primitives.lod", "hinge.lod"}) copySample(sample);
    write("dropped.lod", droppedFacesModel());
    for (const std::string name : {"transforms", "switches", "primitives", "hinge", "dropped"}) {
        SCOPED_TRACE(name);
        const ToolRun mevlo = run("mevlo", name + ".lod mevlo.3ds");
        ASSERT_EQ(mevlo.status, 0) << mevlo.err;
        const ToolRun exported = run("lodtool", "export -q " + name + ".lod export.3ds");
        ASSERT_EQ(exported.status, 0) << exported.err;
        EXPECT_EQ(readFile(dir_ / "export.3ds"), readFile(dir_ / "mevlo.3ds"));
        const bool dropped = mevlo.out.find("Faces dropped: 1 (vertex index out of range)\n") != std::string::npos;
        EXPECT_EQ(dropped, name == "dropped");
        EXPECT_EQ(exported.out.find("Faces dropped: 1 (vertex index out of range)\n") != std::string::npos, dropped);
    }
}

TEST_F(LodtoolExport, ExportingTwiceGivesTheSameBytes) {
    copySample("hinge.lod");
    write("dropped.lod", droppedFacesModel());
    for (const std::string name : {"hinge", "dropped"}) {
        for (const std::string ext : {"glb", "gltf"}) {
            SCOPED_TRACE(name + "." + ext);
            ASSERT_EQ(run("lodtool", "export -q " + name + ".lod a." + ext).status, 0);
            const std::string first = readFile(dir_ / ("a." + ext));
            const std::string firstBin = readFile(dir_ / "a.bin");
            ASSERT_EQ(run("lodtool", "export -q " + name + ".lod a." + ext).status, 0);
            EXPECT_EQ(readFile(dir_ / ("a." + ext)), first);
            EXPECT_EQ(readFile(dir_ / "a.bin"), firstBin);
            fs::remove(dir_ / "a.bin");
        }
    }
}

TEST_F(LodtoolExport, GltfNamesItsBufferByFileNameAndFormatOptionOverridesTheExtension) {
    copySample("hinge.lod");
    fs::create_directories(dir_ / "out");
    ASSERT_EQ(run("lodtool", "export -q hinge.lod out/door.gltf").status, 0);
    const std::string json = readFile(dir_ / "out/door.gltf");
    EXPECT_NE(json.find("\"uri\":\"door.bin\""), std::string::npos);
    EXPECT_TRUE(fs::exists(dir_ / "out/door.bin"));

    ASSERT_EQ(run("lodtool", "export -q --format glb hinge.lod out/door.model").status, 0);
    EXPECT_EQ(readFile(dir_ / "out/door.model").substr(0, 4), "glTF");
    // A model without geometry has no buffer, so no .bin is written.
    write("empty.lod", buildLod(root({}, {slot(2)})).bytes);
    ASSERT_EQ(run("lodtool", "export -q empty.lod out/empty.gltf").status, 0);
    EXPECT_FALSE(fs::exists(dir_ / "out/empty.bin"));
    EXPECT_EQ(readFile(dir_ / "out/empty.gltf").find("buffers"), std::string::npos);
}

TEST_F(LodtoolExport, BatchGoesOnAfterAFailingFileAndReportsIt) {
    copySample("hinge.lod");
    copySample("switches.lod");
    const ToolRun batch = run("lodtool", "export --format glb -o out hinge.lod missing.lod switches.lod");
    EXPECT_EQ(batch.status, 1);
    EXPECT_TRUE(fs::exists(dir_ / "out/hinge.glb"));
    EXPECT_TRUE(fs::exists(dir_ / "out/switches.glb"));
    // One line for the failed file; no progress line off a terminal.
    EXPECT_EQ(batch.err.rfind("lodtool: missing.lod: cannot open", 0), 0u) << batch.err;
    EXPECT_EQ(batch.err.find('\n'), batch.err.size() - 1) << batch.err;
    EXPECT_NE(batch.out.find("Exported: 2 written, 1 failed, 30 triangles\n"), std::string::npos) << batch.out;

    const ToolRun quiet = run("lodtool", "export -q -o out hinge.lod");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
}

TEST_F(LodtoolExport, RefusesWhatItCannotDo) {
    copySample("hinge.lod");
    EXPECT_EQ(run("lodtool", "export hinge.lod out.obj").status, 1);
    EXPECT_EQ(run("lodtool", "export --scale -2 hinge.lod out.glb").status, 1);
    EXPECT_EQ(run("lodtool", "export --format fbx hinge.lod out.glb").status, 1);
    EXPECT_FALSE(fs::exists(dir_ / "out.glb"));
    // The output cannot be created: one line naming it, status 1.
    const ToolRun blocked = run("lodtool", "export hinge.lod no/such/dir/out.glb");
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(blocked.err.rfind("lodtool: no/such/dir/out.glb: ", 0), 0u) << blocked.err;
}

}  // namespace
