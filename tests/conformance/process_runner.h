// Runs one command of a conformance case as a child process: in a chosen
// working directory, with standard output and error captured to files, and
// under a wall-clock limit so that a hanging program fails its case instead of
// stalling the whole run.
#pragma once

#include <string>
#include <vector>

namespace conformance {

struct ProcessResult {
  bool started = false;   // false: the child could not be created (see failure)
  bool timedOut = false;  // killed after the time limit
  bool exited = false;    // ended by exit(); exitStatus is valid
  int exitStatus = -1;
  int signal = 0;  // the signal that ended it when !exited
  std::string stdoutText;
  std::string stderrText;
  std::string failure;
};

// argv[0] is the program's path. Captures go to captureDir/stdout and
// captureDir/stderr; standard input is /dev/null.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workDir,
                         const std::string& captureDir, int timeoutSeconds);

// How the process ended, for reports: "exit 1", "signal 11", "timeout (20 s)".
std::string describeEnd(const ProcessResult& result, int timeoutSeconds);

}  // namespace conformance
