// Windows: CreateProcessW with the captures as inherited handles. Paths and
// arguments are UTF-8 here and UTF-16 for the system.
#include <windows.h>

#include <cstdio>
#include <string>

#include "console_capture.h"
#include "process_runner.h"

namespace testprocess {

const char* const kDiscardOutput = "<discarded>";

namespace {

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) {
    return std::wstring();
  }
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], length);
  return text;
}

std::string lastErrorText(const char* what) {
  return std::string(what) + " failed: error " + std::to_string(GetLastError());
}

// One argument quoted so that the C runtime's command-line parser gives it
// back unchanged: backslashes are literal except before a quote.
std::wstring quoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    return argument;
  }
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');  // before the closing quote
  return quoted + L"\"";
}

// A handle the child inherits; INVALID_HANDLE_VALUE on failure.
HANDLE openInherited(const std::wstring& path, bool forWriting) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(path.c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     forWriting ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Closes the handles it holds when it goes out of scope.
class HandleSet {
 public:
  HandleSet() = default;
  HandleSet(const HandleSet&) = delete;
  HandleSet& operator=(const HandleSet&) = delete;
  ~HandleSet() {
    for (HANDLE handle : handles_) {
      close(handle);
    }
  }
  HANDLE add(HANDLE handle) {
    handles_[count_++] = handle;
    return handle;
  }
  // Closes one held handle now (a capture file, before it is read back).
  void close(HANDLE handle) {
    for (HANDLE& held : handles_) {
      if (held == handle && held != INVALID_HANDLE_VALUE && held != nullptr) {
        CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
      }
    }
  }

 private:
  HANDLE handles_[5] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE,
                       INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  int count_ = 0;
};

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workDir,
                         const std::string& captureDir, int timeoutSeconds, const std::string& stdoutPath) {
  ProcessResult result;
  const bool keepStdout = stdoutPath.empty();
  // Discarded output still goes to a file: the C runtime sees the null
  // device as a character device and writes to it unbuffered, a call per
  // character.
  const std::string outPath =
      keepStdout || stdoutPath == kDiscardOutput ? captureDir + "/stdout" : stdoutPath;
  const std::string errPath = captureDir + "/stderr";
  HandleSet handles;
  HANDLE input = handles.add(openInherited(L"NUL", false));
  HANDLE output = handles.add(openInherited(wide(outPath), true));
  HANDLE errors = handles.add(openInherited(wide(errPath), true));
  if (input == INVALID_HANDLE_VALUE || output == INVALID_HANDLE_VALUE || errors == INVALID_HANDLE_VALUE) {
    result.failure = lastErrorText("opening the captures");
    return result;
  }

  std::wstring commandLine;
  for (const std::string& argument : argv) {
    commandLine += (commandLine.empty() ? L"" : L" ") + quoteArgument(wide(argument));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = errors;
  PROCESS_INFORMATION process{};
  const std::wstring program = wide(argv.at(0));
  const std::wstring directory = wide(workDir);
  std::fflush(nullptr);
  // Under Wine, starting a process now and then fails with an internal
  // error while the machine is busy; a start that failed is tried again
  // (a program that ran is never run twice).
  bool created = false;
  for (int attempt = 0; attempt < 3 && !created; ++attempt) {
    if (attempt > 0) Sleep(500);
    created = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr,
                             directory.c_str(), &startup, &process) != 0;
  }
  if (!created) {
    result.failure = lastErrorText("CreateProcessW");
    return result;
  }
  handles.add(process.hThread);
  handles.add(process.hProcess);
  const DWORD limit = static_cast<DWORD>(timeoutSeconds) * 1000;
  if (WaitForSingleObject(process.hProcess, limit) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    result.timedOut = true;
  }
  DWORD code = 0;
  if (!GetExitCodeProcess(process.hProcess, &code)) {
    result.failure = lastErrorText("GetExitCodeProcess");
    return result;
  }
  result.started = true;
  // An unhandled exception ends a process with its NTSTATUS code, which has
  // the two top bits set; exit() never gives such a status here.
  const bool crashed = (code & 0xC0000000u) == 0xC0000000u;
  result.exited = !result.timedOut && !crashed;
  if (result.exited) {
    result.exitStatus = static_cast<int>(code);
  } else if (crashed) {
    result.abnormalEnd = code;
  }
  // Close the capture handles before reading them back.
  handles.close(output);
  handles.close(errors);
  if (keepStdout) {
    result.stdoutText = normaliseCrlf(readCapture(outPath), result.nativeLineEnds);
  }
  result.stderrText = normaliseCrlf(readCapture(errPath), result.nativeLineEnds);
  return result;
}

std::string describeEnd(const ProcessResult& result, int timeoutSeconds) {
  if (result.timedOut) {
    return "timeout (" + std::to_string(timeoutSeconds) + " s)";
  }
  if (result.exited) {
    return "exit " + std::to_string(result.exitStatus);
  }
  char code[32];
  std::snprintf(code, sizeof code, "exception 0x%08X", result.abnormalEnd);
  return code;
}

ProcessResult runShellCommand(const std::string&) {
  ProcessResult result;
  result.failure = "no POSIX shell on Windows";
  return result;
}

int shellStatusOfAbnormalEnd(unsigned int) { return -1; }

std::string executablePath(const std::string& binaryDir, const std::string& name) {
  return binaryDir + "/" + name + ".exe";
}

}  // namespace testprocess
