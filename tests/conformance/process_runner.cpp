#include "process_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "runner_support.h"

namespace conformance {
namespace {

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
                         const std::string& captureDir, int timeoutSeconds) {
  ProcessResult result;
  const std::string outPath = captureDir + "/stdout";
  const std::string errPath = captureDir + "/stderr";
  std::vector<char*> args;
  for (const std::string& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);

  std::fflush(nullptr);  // nothing buffered may be written twice by the child
  const pid_t pid = fork();
  if (pid < 0) {
    result.failure = formatText("fork failed: %s", std::strerror(errno));
    return result;
  }
  if (pid == 0) {
    execChild(args, workDir, outPath, errPath);
  }
  setpgid(pid, pid);  // also here, so the group exists before any kill
  const std::optional<int> waited = waitWithDeadline(pid, timeoutSeconds, result.timedOut);
  if (!waited) {
    result.failure = formatText("waitpid failed: %s", std::strerror(errno));
    return result;
  }
  const int status = *waited;
  result.started = true;
  result.exited = !result.timedOut && WIFEXITED(status);
  if (result.exited) {
    result.exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  readWholeFile(outPath, result.stdoutText);
  readWholeFile(errPath, result.stderrText);
  return result;
}

std::string describeEnd(const ProcessResult& result, int timeoutSeconds) {
  if (result.timedOut) {
    return formatText("timeout (%d s)", timeoutSeconds);
  }
  if (result.exited) {
    return formatText("exit %d", result.exitStatus);
  }
  return formatText("signal %d (%s)", result.signal, strsignal(result.signal));
}

}  // namespace conformance
