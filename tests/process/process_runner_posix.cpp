#include "process_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "console_capture.h"

namespace testprocess {

const char* const kDiscardOutput = "/dev/null";

namespace {

std::string errnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// A runaway program that prints in a loop must not fill the disk before its
// time runs out: every expected output of the corpus is far below this.
constexpr rlim_t kMaxOutputFileBytes = 256u * 1024u * 1024u;

void writeToStderr(const char* text) {
  const ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
  (void)ignored;
}

// In the forked child: redirect, change directory and exec. Never returns.
[[noreturn]] void execChild(const std::vector<char*>& args, const std::string& workDir,
                            const std::string& outPath, const std::string& errPath) {
  const int input = open("/dev/null", O_RDONLY);
  const int output = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int errors = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (input < 0 || output < 0 || errors < 0 || dup2(input, STDIN_FILENO) < 0 ||
      dup2(output, STDOUT_FILENO) < 0 || dup2(errors, STDERR_FILENO) < 0) {
    _exit(126);
  }
  for (const int descriptor : {input, output, errors}) {
    if (descriptor > STDERR_FILENO) {
      close(descriptor);
    }
  }
  // Its own process group, so that a timeout also ends whatever it started.
  setpgid(0, 0);
  const rlimit fileSizeLimit{kMaxOutputFileBytes, kMaxOutputFileBytes};
  setrlimit(RLIMIT_FSIZE, &fileSizeLimit);
  if (chdir(workDir.c_str()) != 0) {
    writeToStderr("conformance runner: cannot enter the working directory\n");
    _exit(126);
  }
  execv(args[0], args.data());
  writeToStderr("conformance runner: exec failed: ");
  writeToStderr(std::strerror(errno));
  writeToStderr("\n");
  _exit(127);
}

// Waits for the child, killing it at the deadline, and gives its wait status
// (nothing when waiting itself failed). Polls with a short, growing pause: most
// commands end within milliseconds.
std::optional<int> waitWithDeadline(pid_t pid, int timeoutSeconds, bool& timedOut) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
  std::chrono::microseconds pause(50);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      return status;
    }
    if (done < 0 && errno != EINTR) {
      return std::nullopt;
    }
    if (Clock::now() >= deadline) {
      kill(-pid, SIGKILL);
      timedOut = true;
      while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
          return std::nullopt;
        }
      }
      return status;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(10000));
  }
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workDir,
                         const std::string& captureDir, int timeoutSeconds, const std::string& stdoutPath) {
  ProcessResult result;
  const bool keepStdout = stdoutPath.empty();
  const std::string outPath = keepStdout ? captureDir + "/stdout" : stdoutPath;
  const std::string errPath = captureDir + "/stderr";
  std::vector<char*> args;
  for (const std::string& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);

  std::fflush(nullptr);  // nothing buffered may be written twice by the child
  const pid_t pid = fork();
  if (pid < 0) {
    result.failure = errnoText("fork failed");
    return result;
  }
  if (pid == 0) {
    execChild(args, workDir, outPath, errPath);
  }
  setpgid(pid, pid);  // also here, so the group exists before any kill
  const std::optional<int> waited = waitWithDeadline(pid, timeoutSeconds, result.timedOut);
  if (!waited) {
    result.failure = errnoText("waitpid failed");
    return result;
  }
  const int status = *waited;
  result.started = true;
  result.exited = !result.timedOut && WIFEXITED(status);
  if (result.exited) {
    result.exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.abnormalEnd = static_cast<unsigned int>(WTERMSIG(status));
  }
  if (keepStdout) {
    result.stdoutText = readCapture(outPath);
  }
  result.stderrText = readCapture(errPath);
  return result;
}

std::string describeEnd(const ProcessResult& result, int timeoutSeconds) {
  if (result.timedOut) {
    return "timeout (" + std::to_string(timeoutSeconds) + " s)";
  }
  if (result.exited) {
    return "exit " + std::to_string(result.exitStatus);
  }
  const int number = static_cast<int>(result.abnormalEnd);
  return "signal " + std::to_string(number) + " (" + strsignal(number) + ")";
}

ProcessResult runShellCommand(const std::string& commandLine) {
  ProcessResult result;
  std::fflush(nullptr);
  const int raw = std::system(commandLine.c_str());
  if (raw == -1) {
    result.failure = errnoText("system failed");
    return result;
  }
  result.started = true;
  result.exited = WIFEXITED(raw);
  if (result.exited) {
    result.exitStatus = WEXITSTATUS(raw);
  } else if (WIFSIGNALED(raw)) {
    result.abnormalEnd = static_cast<unsigned int>(WTERMSIG(raw));
  }
  return result;
}

int shellStatusOfAbnormalEnd(unsigned int abnormalEnd) { return 128 + static_cast<int>(abnormalEnd); }

std::string executablePath(const std::string& binaryDir, const std::string& name) {
  return binaryDir + "/" + name;
}

}  // namespace testprocess
