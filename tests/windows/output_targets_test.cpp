// Windows output targets: a file that cannot be replaced, and devices.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "command_runner.h"
#include "lod_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace lodtest;

// Holds a file open for reading, sharing only reading, for its lifetime.
class HeldOpen {
public:
    explicit HeldOpen(const fs::path& path)
        : handle_(CreateFileW(path.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldOpen() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
}

// A file another program holds open without sharing deletion (an editor, a
// viewer) cannot be replaced; the rename fails after the whole output was
// written, the last moment a failure can come. The target stays as it was.
TEST(WindowsOutputTargets, FailedReplacementKeepsTheTargetAndLeavesNoTemporaryFile) {
    const ScratchDir dir;
    const std::vector<uint8_t> model = buildLod(root({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {cp(prim(2, {0, 1, 2}))})).bytes;
    const fs::path lod = dir.path() / fs::u8path(u8"mod\u00e8le \u6a21\u578b.lod");
    writeBytes(lod, model);
    const std::vector<uint8_t> old3ds(100, 0x5A);
    const fs::path old = dir.path() / "old.3ds";
    writeBytes(old, old3ds);
    {
        const HeldOpen heldLod(lod);
        const HeldOpen heldOld(old);
        ASSERT_TRUE(heldLod.held() && heldOld.held());
        const CommandRun repack = runBuiltCommand(dir.path(), "lodtool", {"repack", lod.u8string(), lod.u8string()});
        EXPECT_EQ(repack.status, 1);
        EXPECT_TRUE(isOneLine(repack.err)) << repack.err;
        EXPECT_EQ(repack.err.rfind("lodtool: " + lod.u8string() + ": cannot write output file: ", 0), 0u)
            << repack.err;
        const CommandRun convert = runBuiltCommand(dir.path(), "mevlo", {lod.u8string(), old.u8string()});
        EXPECT_EQ(convert.status, 1);
        EXPECT_EQ(convert.err.rfind(old.u8string() + ": cannot write output file: ", 0), 0u) << convert.err;
    }
    EXPECT_EQ(readBytes(lod), model);
    EXPECT_EQ(readBytes(old), old3ds);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{u8"mod\u00e8le \u6a21\u578b.lod", "old.3ds"}));

    // Released, the same run replaces the file.
    const CommandRun again = runBuiltCommand(dir.path(), "lodtool", {"repack", lod.u8string(), lod.u8string()});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(namesIn(dir.path()).size(), 2u);
}

// NUL is a device in every folder, whatever follows its name: it is written
// directly, as /dev/null is on Linux, not replaced by a renamed file.
TEST(WindowsOutputTargets, TheNullDeviceIsWrittenDirectly) {
    const ScratchDir dir;
    const fs::path lod = dir.path() / "model.lod";
    writeBytes(lod, buildLod(root({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {cp(prim(2, {0, 1, 2}))})).bytes);
    const CommandRun convert = runBuiltCommand(dir.path(), "mevlo", {lod.u8string(), "NUL"});
    EXPECT_EQ(convert.status, 0) << convert.err;
    const CommandRun repack = runBuiltCommand(dir.path(), "lodtool", {"repack", lod.u8string(), "nul.lod"});
    EXPECT_EQ(repack.status, 0) << repack.err;
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"model.lod"}));
}

}  // namespace
