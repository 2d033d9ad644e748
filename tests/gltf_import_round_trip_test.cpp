// import(export(M)) is M: the same node tree, kinds, order, record numbers
// and primitives, shown by `lodtool list` of both, for the samples and for
// generated trees of every node kind.
#include <gtest/gtest.h>

#include <fstream>

#include "command_runner.h"
#include "lod_builder.h"
#include "random_lod_tree.h"
#include "scratch_dir.h"

namespace {

using namespace lodtest;

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The listing of `lod` and of the import of its export (as `format`).
std::pair<std::string, std::string> listings(const std::filesystem::path& dir, const std::string& lod,
                                             const char* format) {
    const std::string exported = std::string("trip.") + format;
    EXPECT_EQ(runBuiltCommand(dir, "lodtool", {"export", "-q", lod, exported}).status, 0);
    const CommandRun imported = runBuiltCommand(dir, "lodtool", {"import", "-q", exported, "back.lod"});
    EXPECT_EQ(imported.status, 0) << imported.err;
    return {runBuiltCommand(dir, "lodtool", {"list", lod}).out, runBuiltCommand(dir, "lodtool", {"list", "back.lod"}).out};
}

TEST(GltfImportRoundTrip, SamplesListTheSameAfterExportAndImport) {
    ScratchDir scratch;
    for (const char* name : {"hinge", "primitives", "switches", "transforms"}) {
        const std::string lod = std::string(MEVLO_SOURCE_DIR) + "/samples/" + name + ".lod";
        for (const char* format : {"glb", "gltf"}) {
            const auto [before, after] = listings(scratch.path(), lod, format);
            EXPECT_FALSE(before.empty());
            EXPECT_EQ(before, after) << name << " as " << format;
        }
    }
}

TEST(GltfImportRoundTrip, GeneratedTreesComeBackAsTheSameModel) {
    ScratchDir scratch;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        writeFile(scratch.path() / "model.lod", buildLod(RandomLodTree(seed).model()).bytes);
        const auto [before, after] = listings(scratch.path(), "model.lod", "glb");
        EXPECT_EQ(before, after) << "seed " << seed;
    }
}

}  // namespace
