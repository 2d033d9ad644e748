// Running the built programs from tests: a private scratch directory per
// test, shell-safe arguments, captured streams and the exit status.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "scratch_dir.h"

namespace lodtest {

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
