// Runs a program as a child process, the way the command-line tests and the
// conformance runner need it: in a chosen working directory, with standard
// output and error captured to files, and under a wall-clock limit so that a
// hanging program fails its test instead of stalling the whole run.
#pragma once

#include <string>
#include <vector>

namespace testprocess {

struct ProcessResult {
  bool started = false;   // false: the child could not be created (see failure)
  bool timedOut = false;  // killed after the time limit
  bool exited = false;    // ended by exit(); exitStatus is valid
  int exitStatus = -1;
  // What ended it when !exited: the signal number, or on Windows the
  // exception code (0xC0000005 for an access violation).
  unsigned int abnormalEnd = 0;
  // Console text with the platform's line ends turned into "\n", so that
  // the same expected text serves every platform.
  std::string stdoutText;
  std::string stderrText;
  // False when the console text broke the platform's convention: on
  // Windows a line ended by a bare "\n" instead of "\r\n".
  bool nativeLineEnds = true;
  std::string failure;
};

// A stdoutPath that throws standard output away.
extern const char* const kDiscardOutput;

// argv[0] is the program's path. Standard error goes to captureDir/stderr,
// standard output to captureDir/stdout when stdoutPath is empty (both read
// back), else to stdoutPath; standard input is the null device.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workDir,
                         const std::string& captureDir, int timeoutSeconds, const std::string& stdoutPath = "");

// Runs a sh command line, for what only a shell sets up (ulimit, trap).
// POSIX only: on Windows the result is not started.
ProcessResult runShellCommand(const std::string& commandLine);

// The status a POSIX shell reports for an abnormal end: 128 + the signal;
// -1 on Windows.
int shellStatusOfAbnormalEnd(unsigned int abnormalEnd);

// How the process ended, for reports: "exit 1", "signal 11", "timeout (20 s)".
std::string describeEnd(const ProcessResult& result, int timeoutSeconds);

// The path of a program built in binaryDir: name plus the platform's
// executable suffix.
std::string executablePath(const std::string& binaryDir, const std::string& name);

}  // namespace testprocess
