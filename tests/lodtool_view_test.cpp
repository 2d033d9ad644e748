// lodtool view as a user runs it: the page holds exactly the plain export's glb
// and info's facts, fails like export on what export refuses, and no name
// can end the page's data blocks. What the page shows is checked in a
// browser (tests/browser/view_test.mjs).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/base64.h"
#include "fuzz/hostile_models.h"
#include "command_runner.h"
#include "lod_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace lodtest;

class LodtoolView : public testing::Test {
protected:
    void SetUp() override {
        const CommandRun help = run({"view", "--help"});
        ASSERT_EQ(help.status, 0);
        ASSERT_NE(help.out.find("--textures PATTERN"), std::string::npos) << help.out;
        const CommandRun probe = run({"view", path("missing.lod")});
        if (probe.err.find("built without the viewer") != std::string::npos)
            GTEST_SKIP() << "lodtool was built without the viewer (no node and npm, or the npm install failed)";
    }
    CommandRun run(const std::vector<std::string>& arguments) const {
        return runBuiltCommand(dir_.path(), "lodtool", arguments);
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string read(const std::string& name) const { return readText(dir_ / name); }
    void copySample(const std::string& name) const {
        fs::copy_file(fs::path(MEVLO_SOURCE_DIR) / "samples" / name, dir_ / name);
    }

    ScratchDir dir_;
};

std::string between(const std::string& text, const std::string& start, const std::string& end) {
    const size_t from = text.find(start);
    if (from == std::string::npos) return "(missing " + start + ")";
    const size_t to = text.find(end, from + start.size());
    return text.substr(from + start.size(), to - from - start.size());
}

TEST_F(LodtoolView, PageBesideTheModelHoldsThePlainExportsGlbAndInfosFacts) {
    for (const std::string name : {"hinge", "switches"}) {
        SCOPED_TRACE(name);
        copySample(name + ".lod");
        const CommandRun view = run({"view", path(name + ".lod")});
        ASSERT_EQ(view.status, 0) << view.err;
        EXPECT_EQ(view.out, "View written: " + path(name + ".html") + "\n");
        ASSERT_EQ(run({"export", "-q", "--plain", path(name + ".lod"), path(name + ".glb")}).status, 0);
        const CommandRun info = run({"info", "--json", path(name + ".lod")});
        ASSERT_EQ(info.status, 0);

        const std::string page = read(name + ".html");
        const std::string glb = read(name + ".glb");
        // Only the import reads the records; the page leaves them out.
        EXPECT_EQ(glb.find("\"records\""), std::string::npos);
        EXPECT_EQ(between(page, "<script type=\"application/octet-stream\" id=\"mevlo-glb\">", "</script>"),
                  mevlo::base64Of(reinterpret_cast<const uint8_t*>(glb.data()), glb.size()));
        EXPECT_EQ(between(page, "<script type=\"application/json\" id=\"mevlo-facts\">", "</script>") + "\n", info.out);
    }
}

TEST_F(LodtoolView, TextureImagesArePutIntoThePageAndUnusableOnesLeftOutWithALine) {
    copySample("hinge.lod");
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3};
    fs::create_directories(dir_ / "out" / "tex");
    writeBytes(dir_ / "out" / "tex" / "1.png", png);
    const CommandRun found = run({"view", "--textures", "tex/{n}.png", path("hinge.lod"), path("out/page.html")});
    ASSERT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(between(read("out/page.html"), "id=\"mevlo-images\">", "</script>"),
              "{\"tex/1.png\":\"data:image/png;base64," + mevlo::base64Of(png.data(), png.size()) + "\"}");

    writeBytes(dir_ / "out" / "tex" / "1.png", {'G', 'I', 'F', '8'});
    const CommandRun wrongType = run({"view", "--textures", "tex/{n}.png", path("hinge.lod"), path("out/page.html")});
    const CommandRun missing = run({"view", "--textures", "none/{n}.png", path("hinge.lod"), path("out/page.html")});
    for (const CommandRun& left : {wrongType, missing}) {
        EXPECT_EQ(left.status, 0) << left.err;
        EXPECT_EQ(left.out.rfind("Texture image left out: " + path("out"), 0), 0u) << left.out;
        EXPECT_EQ(between(read("out/page.html"), "id=\"mevlo-images\">", "</script>"), "{}");
    }
}

TEST_F(LodtoolView, ModelTooLargeToExportGivesExportsLineAndNoPage) {
    // 2000 records share one block of 2^21 unusable indices: billions of
    // faces to look at, far past what a file of this size may export.
    const std::vector<uint8_t> model = mevlofuzz::hostileDroppedFaces(2001, size_t{1} << 21);
    writeBytes(dir_ / "huge.lod", model);
    const CommandRun exported = run({"export", "-q", path("huge.lod"), path("huge.glb")});
    const CommandRun view = run({"view", path("huge.lod"), path("huge.html")});
    EXPECT_EQ(view.status, 1);
    EXPECT_EQ(exported.status, 1);
    EXPECT_TRUE(isOneLine(view.err)) << view.err;
    EXPECT_NE(view.err.find("Model too large to export"), std::string::npos) << view.err;
    EXPECT_EQ(view.err, exported.err);
    EXPECT_FALSE(fs::exists(dir_ / "huge.html"));
}

TEST_F(LodtoolView, MarkupInThePathCannotEndThePagesDataBlocks) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows file names cannot hold < and >";
#else
    // The path as given becomes the facts' "file": "x</script>..." is a
    // folder "x<" and a file in it.
    fs::create_directories(dir_ / "x<");
    copySample("hinge.lod");
    fs::copy_file(dir_ / "hinge.lod", dir_ / "x<" / "script><b>.lod");
    const CommandRun view = run({"view", "x</script><b>.lod", "page.html"});
    ASSERT_EQ(view.status, 0) << view.err;
    const std::string page = read("page.html");
    // The end tags of the facts, images, glb and script elements only.
    size_t ends = 0;
    for (size_t at = page.find("</script"); at != std::string::npos; at = page.find("</script", at + 1)) ++ends;
    EXPECT_EQ(ends, 4u);
    EXPECT_NE(page.find("\"file\":\"x\\u003c/script>\\u003cb>.lod\""), std::string::npos);
    EXPECT_NE(page.find("<title>script&gt;&lt;b&gt;.lod</title>"), std::string::npos);
#endif
}

TEST(Base64, PiecesOfAnySizeEncodeAsTheWhole) {
    const std::string text = "foobar";
    const char* expected[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
    for (size_t length = 0; length <= text.size(); ++length) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
        EXPECT_EQ(mevlo::base64Of(bytes, length), expected[length]);
        // Split into three pieces at every pair of places.
        for (size_t a = 0; a <= length; ++a) {
            for (size_t b = a; b <= length; ++b) {
                mevlo::Base64Encoder encoder;
                std::string out;
                encoder.add(bytes, a, out);
                encoder.add(bytes + a, b - a, out);
                encoder.add(bytes + b, length - b, out);
                encoder.finish(out);
                EXPECT_EQ(out, expected[length]) << length << " split at " << a << ", " << b;
            }
        }
    }
}

}  // namespace
