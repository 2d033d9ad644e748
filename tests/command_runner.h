// Running the built programs from tests: a private scratch directory per
// test, shell-safe arguments, captured streams and the exit status.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lodtest {

// A directory of the test's own, made with mkdtemp so that the suites of
// several build folders can run at once; removed with its content.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::path(testing::TempDir()) / "mevlo_test_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot create a directory from " << pattern;
        path_ = pattern;
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

// s as one sh word, whatever characters it holds.
inline std::string shellQuoted(const std::string& s) {
    std::string quoted = "'";
    for (char ch : s) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return quoted + "'";
}

struct CommandRun {
    // The exit status, or 128 + the signal that ended the program.
    int status = -1;
    std::string out;
    std::string err;
};

struct RunOptions {
    // Where standard output goes; empty: a file in the scratch directory,
    // read back into CommandRun::out.
    std::string stdoutPath;
    // sh commands run before the program, in the same process (ulimit, trap).
    std::string shellSetup;
};

// Runs the built program (mevlo, lodtool) with arguments; its streams are
// kept in files of dir.
inline CommandRun runBuiltCommand(const std::filesystem::path& dir, const std::string& program,
                                  const std::vector<std::string>& arguments, const RunOptions& options = {}) {
    const std::filesystem::path outFile = dir / "stdout";
    const std::filesystem::path errFile = dir / "stderr";
    std::string command = options.shellSetup + " exec " + shellQuoted(std::string(MEVLO_BINARY_DIR) + "/" + program);
    for (const std::string& argument : arguments) command += " " + shellQuoted(argument);
    command += " >" + shellQuoted(options.stdoutPath.empty() ? outFile.string() : options.stdoutPath);
    command += " 2>" + shellQuoted(errFile.string());
    CommandRun run;
    const int raw = std::system(command.c_str());
    if (WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) run.status = 128 + WTERMSIG(raw);
    if (options.stdoutPath.empty()) run.out = readText(outFile);
    run.err = readText(errFile);
    std::error_code ignored;
    std::filesystem::remove(outFile, ignored);
    std::filesystem::remove(errFile, ignored);
    return run;
}

inline bool isOneLine(const std::string& text) {
    return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
}

}  // namespace lodtest
