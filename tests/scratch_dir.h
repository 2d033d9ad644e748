// Files of the tests: a private scratch directory per test, and reading and
// writing whole files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace lodtest {

// A directory of the test's own, under a fresh random name (created only
// when no such name exists, as mkdtemp does) so that the suites of several
// build folders can run at once; removed with its content.
class ScratchDir {
public:
    ScratchDir() {
        std::random_device seed;
        std::mt19937_64 random((static_cast<uint64_t>(seed()) << 32) ^ seed());
        const std::filesystem::path base(testing::TempDir());
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, "mevlo_test_%012llx",
                          static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
            std::error_code error;
            if (std::filesystem::create_directory(base / name, error)) path_ = base / name;
        }
        if (path_.empty()) ADD_FAILURE() << "cannot create a scratch directory in " << base;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string readText(const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace lodtest
