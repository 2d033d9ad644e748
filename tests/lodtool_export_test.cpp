// lodtool export as a user runs it: the formats, the batch mode, and the
// properties users rely on (3DS identical to mevlo's, repeatable output).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "command_runner.h"
#include "lod_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace lodtest;

class LodtoolExport : public testing::Test {
protected:
    // Runs a built program with the arguments; paths are given in full.
    CommandRun run(const std::string& program, const std::vector<std::string>& arguments) const {
        return runBuiltCommand(dir_.path(), program, arguments);
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string read(const std::string& name) const { return readText(dir_ / name); }
    void write(const std::string& name, const std::vector<uint8_t>& bytes) const { writeBytes(dir_ / name, bytes); }
    void copySample(const std::string& name) const {
        fs::copy_file(fs::path(MEVLO_SOURCE_DIR) / "samples" / name, dir_ / name);
    }

    ScratchDir dir_;
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
        const CommandRun mevlo = run("mevlo", {path(name + ".lod"), path("mevlo.3ds")});
        ASSERT_EQ(mevlo.status, 0) << mevlo.err;
        const CommandRun exported = run("lodtool", {"export", "-q", path(name + ".lod"), path("export.3ds")});
        ASSERT_EQ(exported.status, 0) << exported.err;
        EXPECT_EQ(read("export.3ds"), read("mevlo.3ds"));
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
            ASSERT_EQ(run("lodtool", {"export", "-q", path(name + ".lod"), path("a." + ext)}).status, 0);
            const std::string first = read("a." + ext);
            const std::string firstBin = read("a.bin");
            ASSERT_EQ(run("lodtool", {"export", "-q", path(name + ".lod"), path("a." + ext)}).status, 0);
            EXPECT_EQ(read("a." + ext), first);
            EXPECT_EQ(read("a.bin"), firstBin);
            fs::remove(dir_ / "a.bin");
        }
    }
}

TEST_F(LodtoolExport, GltfNamesItsBufferByFileNameAndFormatOptionOverridesTheExtension) {
    copySample("hinge.lod");
    fs::create_directories(dir_ / "out");
    ASSERT_EQ(run("lodtool", {"export", "-q", path("hinge.lod"), path("out/door.gltf")}).status, 0);
    EXPECT_NE(read("out/door.gltf").find("\"uri\":\"door.bin\""), std::string::npos);
    EXPECT_TRUE(fs::exists(dir_ / "out/door.bin"));

    ASSERT_EQ(run("lodtool", {"export", "-q", "--format", "glb", path("hinge.lod"), path("out/door.model")}).status,
              0);
    EXPECT_EQ(read("out/door.model").substr(0, 4), "glTF");
    // A model without geometry has no buffer, so no .bin is written.
    write("empty.lod", buildLod(root({}, {slot(2)})).bytes);
    ASSERT_EQ(run("lodtool", {"export", "-q", path("empty.lod"), path("out/empty.gltf")}).status, 0);
    EXPECT_FALSE(fs::exists(dir_ / "out/empty.bin"));
    EXPECT_EQ(read("out/empty.gltf").find("buffers"), std::string::npos);
}

TEST_F(LodtoolExport, BatchGoesOnAfterAFailingFileAndReportsIt) {
    copySample("hinge.lod");
    copySample("switches.lod");
    const CommandRun batch = run("lodtool", {"export", "--format", "glb", "-o", path("out"), path("hinge.lod"),
                                             path("missing.lod"), path("switches.lod")});
    EXPECT_EQ(batch.status, 1);
    EXPECT_TRUE(fs::exists(dir_ / "out/hinge.glb"));
    EXPECT_TRUE(fs::exists(dir_ / "out/switches.glb"));
    // One line for the failed file; no progress line off a terminal.
    EXPECT_EQ(batch.err.rfind("lodtool: " + path("missing.lod") + ": cannot open", 0), 0u) << batch.err;
    EXPECT_TRUE(isOneLine(batch.err)) << batch.err;
    EXPECT_NE(batch.out.find("Exported: 2 written, 1 failed, 30 triangles\n"), std::string::npos) << batch.out;

    const CommandRun quiet = run("lodtool", {"export", "-q", "-o", path("out"), path("hinge.lod")});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
}

TEST_F(LodtoolExport, RefusesWhatItCannotDo) {
    copySample("hinge.lod");
    EXPECT_EQ(run("lodtool", {"export", path("hinge.lod"), path("out.obj")}).status, 1);
    EXPECT_EQ(run("lodtool", {"export", "--scale", "-2", path("hinge.lod"), path("out.glb")}).status, 1);
    EXPECT_EQ(run("lodtool", {"export", "--format", "fbx", path("hinge.lod"), path("out.glb")}).status, 1);
    EXPECT_FALSE(fs::exists(dir_ / "out.glb"));
    // The output cannot be created: one line naming it, status 1.
    const CommandRun blocked = run("lodtool", {"export", path("hinge.lod"), path("no/such/dir/out.glb")});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(blocked.err.rfind("lodtool: " + path("no/such/dir/out.glb") + ": ", 0), 0u) << blocked.err;
    EXPECT_TRUE(isOneLine(blocked.err)) << blocked.err;
    // A model the 3DS limits refuse is named in front of the reason, also
    // when the reason starts with the output's name.
    write("big.lod", buildLod(root(std::vector<Vec3>(8001, Vec3{0, 0, 0}), {})).bytes);
    const CommandRun tooLarge = run("lodtool", {"export", "--format", "3ds", "big.lod", "Model"});
    EXPECT_EQ(tooLarge.status, 1);
    EXPECT_EQ(tooLarge.err,
              "lodtool: big.lod: Model too large: more than 8000 vertices in one mesh (geometry node at offset 0)\n");
}

}  // namespace
