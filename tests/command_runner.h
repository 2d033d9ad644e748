// Running the built programs from tests: a private scratch directory per
// test, arguments passed as they are, captured streams and the exit status.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "process_runner.h"
#include "scratch_dir.h"

namespace lodtest {

// s as one sh word, whatever characters it holds.
inline std::string shellQuoted(const std::string& s) {
    std::string quoted = "'";
    for (char ch : s) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return quoted + "'";
}

struct CommandRun {
    // The exit status, or 128 + the signal that ended the program (on
    // Windows, -1 for an unhandled exception).
    int status = -1;
    // Console text, line ends as on POSIX whatever the platform wrote.
    std::string out;
    std::string err;
    // False when a console line did not end the platform's way (CRLF on
    // Windows).
    bool nativeLineEnds = true;
};

struct RunOptions {
    // Where standard output goes; empty: a file in the scratch directory,
    // read back into CommandRun::out; testprocess::kDiscardOutput: nowhere.
    std::string stdoutPath;
    // sh commands run before the program, in the same process (ulimit,
    // trap). POSIX only: tests that need one skip themselves on Windows.
    std::string shellSetup;
};

// No time limit a test would need: a hang still ends, as a failure.
constexpr int kCommandTimeoutSeconds = 600;

// Through sh, for the set-ups only a shell can make.
inline CommandRun runThroughShell(const std::filesystem::path& dir, const std::string& program,
                                  const std::vector<std::string>& arguments, const RunOptions& options) {
    const std::filesystem::path outFile = dir / "stdout";
    const std::filesystem::path errFile = dir / "stderr";
    std::string command = options.shellSetup + " exec " + shellQuoted(program);
    for (const std::string& argument : arguments) command += " " + shellQuoted(argument);
    command += " >" + shellQuoted(options.stdoutPath.empty() ? outFile.string() : options.stdoutPath);
    command += " 2>" + shellQuoted(errFile.string());
    const testprocess::ProcessResult ran = testprocess::runShellCommand(command);
    if (!ran.started) ADD_FAILURE() << program << ": " << ran.failure;
    CommandRun run;
    if (ran.exited) run.status = ran.exitStatus;
    if (ran.started && !ran.exited) run.status = testprocess::shellStatusOfAbnormalEnd(ran.abnormalEnd);
    if (options.stdoutPath.empty()) run.out = readText(outFile);
    run.err = readText(errFile);
    return run;
}

// Runs the built program (mevlo, lodtool) with arguments; its streams are
// kept in files of dir.
inline CommandRun runBuiltCommand(const std::filesystem::path& dir, const std::string& program,
                                  const std::vector<std::string>& arguments, const RunOptions& options = {}) {
    const std::string executable = testprocess::executablePath(MEVLO_BINARY_DIR, program);
    CommandRun run;
    if (!options.shellSetup.empty()) {
        run = runThroughShell(dir, executable, arguments, options);
    } else {
        std::vector<std::string> argv{executable};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        const testprocess::ProcessResult ran = testprocess::runProcess(
            argv, dir.string(), dir.string(), kCommandTimeoutSeconds, options.stdoutPath);
        if (!ran.started) ADD_FAILURE() << program << ": " << ran.failure;
        if (ran.exited) run.status = ran.exitStatus;
        if (!ran.exited && !ran.timedOut) run.status = testprocess::shellStatusOfAbnormalEnd(ran.abnormalEnd);
        run.out = ran.stdoutText;
        run.err = ran.stderrText;
        run.nativeLineEnds = ran.nativeLineEnds;
    }
    std::error_code ignored;
    std::filesystem::remove(dir / "stdout", ignored);
    std::filesystem::remove(dir / "stderr", ignored);
    return run;
}

inline bool isOneLine(const std::string& text) {
    return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
}

}  // namespace lodtest
