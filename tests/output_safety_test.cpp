// A user's files survive every failure: outputs replace their target only
// when completely written, write errors on standard output fail the run, and
// running out of memory is an error message, not an abort.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "command_runner.h"
#include "io/atomic_output.h"
#include "lod_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace lodtest;

// A model whose repacked and converted forms are each well over 16 KiB.
std::vector<uint8_t> modelOfSomeSize() {
    std::vector<mevlo::Vec3> vertices;
    for (int i = 0; i < 6000; ++i) vertices.push_back({static_cast<float>(i), 1.0f, -1.0f});
    return buildLod(root(vertices, {cp(prim(2, {0, 1, 2, 3}))})).bytes;
}

// The names in dir other than stdout and stderr captures.
std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// sh set-ups that make the write fail past 16 KiB: once with SIGXFSZ
// ignored (the write reports EFBIG), once with its default action (the
// process is killed in the middle of the write).
const char* const kFileSizeLimits[] = {"ulimit -f 32; trap '' XFSZ;", "ulimit -f 32;"};

#if defined(_WIN32)
constexpr bool kNoPosixShell = true;
#else
constexpr bool kNoPosixShell = false;
#endif

}  // namespace

TEST(OutputSafety, WriteOverTheInputThatFailsLeavesItByteIdenticalAndNoTemporaryFile) {
    if (kNoPosixShell) GTEST_SKIP() << "needs a POSIX shell's ulimit -f and SIGXFSZ; Windows has neither";
    for (const char* limit : kFileSizeLimits) {
        const ScratchDir dir;
        const std::vector<uint8_t> model = modelOfSomeSize();
        const fs::path lod = dir / "model.lod";
        writeBytes(lod, model);
        const std::vector<uint8_t> old3ds(100, 0x5A);
        const fs::path old = dir / "old.3ds";
        writeBytes(old, old3ds);

        RunOptions options;
        options.shellSetup = limit;
        const CommandRun repack = runBuiltCommand(dir.path(), "lodtool", {"repack", lod.string(), lod.string()}, options);
        EXPECT_NE(repack.status, 0) << limit;
        EXPECT_EQ(readBytes(lod), model) << limit;
        const CommandRun convert = runBuiltCommand(dir.path(), "mevlo", {lod.string(), old.string()}, options);
        EXPECT_NE(convert.status, 0) << limit;
        EXPECT_EQ(readBytes(old), old3ds) << limit;
        if (std::string(limit).find("trap") != std::string::npos) {
            // A reported failure: status 1 and one line naming the target.
            EXPECT_EQ(repack.status, 1);
            EXPECT_EQ(repack.err, "lodtool: " + lod.string() + ": cannot write output file: File too large\n");
            EXPECT_EQ(convert.status, 1);
            EXPECT_EQ(convert.err, old.string() + ": cannot write output file: File too large\n");
        }
        EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"model.lod", "old.3ds"})) << limit;
    }
}

// Where the target is a symbolic link the file behind it is replaced and
// the link stays; a replaced file keeps its mode; an output that is never
// committed leaves the target as it was.
TEST(OutputSafety, AtomicOutputKeepsLinksAndModesAndDiscardsWhatIsNotCommitted) {
#if defined(_WIN32)
    GTEST_SKIP() << "POSIX file modes and symbolic links";
#else
    const ScratchDir dir;
    const fs::path real = dir / "real.bin";
    const fs::path link = dir / "link.bin";
    writeBytes(real, {1, 2, 3});
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    fs::create_symlink("real.bin", link);

    std::string error;
    ASSERT_TRUE(mevlo::writeWholeFile(link.string(), {4, 5}, error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(real), (std::vector<uint8_t>{4, 5}));
    struct stat st;
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    {
        mevlo::AtomicOutput abandoned;
        ASSERT_TRUE(abandoned.open(real.string(), error)) << error;
        EXPECT_TRUE(abandoned.write("partial", 7));
        EXPECT_EQ(namesIn(dir.path()).size(), 3u);  // the temporary file beside the two
    }
    EXPECT_EQ(readBytes(real), (std::vector<uint8_t>{4, 5}));
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"link.bin", "real.bin"}));
#endif
}

TEST(OutputSafety, ListingToAFullDeviceFailsWithTheReason) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    const ScratchDir dir;
    const fs::path lod = dir / "model.lod";
    writeBytes(lod, buildLod(root({{1, 2, 3}}, {cp(prim(0, {0}))})).bytes);
    RunOptions options;
    options.stdoutPath = "/dev/full";
    const CommandRun run = runBuiltCommand(dir.path(), "lodtool", {"list", lod.string()}, options);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "lodtool: standard output: No space left on device\n");
}

TEST(OutputSafety, AnInputLargerThanTheMemoryAtHandIsRefusedInOneLine) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
#endif
    if (kNoPosixShell) GTEST_SKIP() << "needs a POSIX shell's ulimit -v; Windows has no address space limit";
    const ScratchDir dir;
    const fs::path lod = dir / "huge.lod";
    writeBytes(lod, {});
    fs::resize_file(lod, std::uintmax_t{1} << 30);  // sparse: no disk used
    const fs::path out = dir / "out.3ds";
    RunOptions options;
    options.shellSetup = "ulimit -v 200000;";
    const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
        {"mevlo", {lod.string(), out.string()}},
        {"lodtool", {"list", lod.string()}},
        {"lodtool", {"repack", lod.string(), out.string()}}};
    for (const auto& [program, arguments] : runs) {
        const CommandRun run = runBuiltCommand(dir.path(), program, arguments, options);
        const std::string prefix = program == "mevlo" ? "" : "lodtool: ";
        EXPECT_EQ(run.status, 1) << program << " " << arguments[0];
        EXPECT_EQ(run.err, prefix + lod.string() + ": out of memory\n") << program << " " << arguments[0];
        EXPECT_FALSE(fs::exists(out));
    }
}
