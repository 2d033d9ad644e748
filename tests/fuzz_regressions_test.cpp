// Every input the fuzzers ever flagged (fuzz/regressions/), every seed model
// and every bundled sample, through the commands' paths: convert and
// encode, list, repack and read back, export to glTF. Each must end soundly:
// a valid 3DS or a capacity line, a listing, a repack that converts the
// same and repeats itself byte for byte, and a sound glTF document.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/export_checks.h"
#include "fuzz/import_checks.h"
#include "fuzz/pipeline_checks.h"
#include "fuzz/seed_models.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> filesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    if (!fs::is_directory(dir)) return files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    }
    return files;
}

// The three paths, with the listing discarded.
void expectSoundInEveryCommand(const std::vector<uint8_t>& bytes) {
    const std::string conversion = mevlofuzz::checkConversion(bytes.data(), bytes.size());
    mevlofuzz::listModel(bytes.data(), bytes.size(), [](const char*, size_t) {});
    const std::string repack = mevlofuzz::checkRepack(bytes.data(), bytes.size());
    const std::string exported = mevlofuzz::checkExport(bytes.data(), bytes.size());
    EXPECT_EQ(conversion, "");
    EXPECT_EQ(repack, "");
    EXPECT_EQ(exported, "");
}

}  // namespace

TEST(FuzzRegressions, EverySavedFindingConvertsListsAndRepacksSoundly) {
    const auto files = filesIn(fs::path(MEVLO_SOURCE_DIR) / "fuzz" / "regressions");
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        expectSoundInEveryCommand(readBytes(file));
    }
}

TEST(FuzzRegressions, EverySeedAndSampleConvertsListsAndRepacksSoundly) {
    for (const mevlofuzz::SeedModel& seed : mevlofuzz::seedModels()) {
        SCOPED_TRACE(seed.name);
        expectSoundInEveryCommand(seed.bytes);
    }
    for (const fs::path& file : filesIn(fs::path(MEVLO_SOURCE_DIR) / "samples")) {
        SCOPED_TRACE(file.filename().string());
        expectSoundInEveryCommand(readBytes(file));
    }
}

TEST(FuzzRegressions, EverySavedGltfFindingImportsSoundly) {
    for (const fs::path& file : filesIn(fs::path(MEVLO_SOURCE_DIR) / "fuzz" / "regressions" / "gltf")) {
        SCOPED_TRACE(file.filename().string());
        const std::vector<uint8_t> bytes = readBytes(file);
        testing::internal::CaptureStdout();
        const std::string problem = mevlofuzz::checkImport(bytes.data(), bytes.size());
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(problem, "");
    }
}
