// Runs every case of the conformance corpus against the built mevlo and
// lodtool and reports each mismatch with where it starts.
//
//   conformance_runner MEVLO LODTOOL CORPUS_DIR [CASE]
//
// A case is a folder holding in.lod and the expected results of each command
// (see the corpus's README.md). Every command runs in a fresh scratch folder
// holding only a copy of in.lod, with exactly the relative paths the expected
// outputs were made with. With CASE only that case runs and its scratch folder
// is kept for inspection. Exit status: 0 all passed, 1 some failed, 2 usage or
// setup error, 77 corpus absent (reported as skipped by CTest).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "output_compare.h"
#include "process_runner.h"
#include "runner_support.h"

namespace fs = std::filesystem;

namespace conformance {
namespace {

using testprocess::ProcessResult;

constexpr int kExitSkipped = 77;
constexpr int kExitSetupError = 2;
constexpr int kTimeoutSeconds = 20;

struct Tools {
  std::string mevlo;
  std::string lodtool;
};

// One command of one case: where it runs and what it found wrong.
class CommandCheck {
 public:
  CommandCheck(const fs::path& caseDir, const fs::path& scratchDir)
      : caseDir_(caseDir), captureDir_(scratchDir), workDir_(scratchDir / "work") {}

  // Runs argv in a fresh working folder holding a copy of in.lod.
  bool run(const std::vector<std::string>& argv) {
    std::error_code error;
    fs::create_directories(workDir_, error);
    if (!error) {
      fs::copy_file(caseDir_ / "in.lod", workDir_ / "in.lod", error);
    }
    if (error) {
      fail(formatText("cannot prepare %s: %s", workDir_.string().c_str(), error.message().c_str()));
      return false;
    }
    result_ = testprocess::runProcess(argv, workDir_.string(), captureDir_.string(), kTimeoutSeconds);
    if (!result_.started) {
      fail(result_.failure);
    } else if (!result_.nativeLineEnds) {
      fail("console text has lines without the platform's line end");
    }
    return result_.started;
  }

  // True and the file's bytes when the case has this expected file.
  bool readExpected(const char* name, std::string& bytes) const {
    return readWholeFile((caseDir_ / name).string(), bytes);
  }

  // The bytes of a file our command left in its working folder.
  bool readProduced(const char* name, std::string& bytes) const {
    return readWholeFile((workDir_ / name).string(), bytes);
  }

  void expectExit(int status) {
    if (!result_.exited || result_.exitStatus != status) {
      fail(formatText("exit: expected %d, got %s", status,
                      testprocess::describeEnd(result_, kTimeoutSeconds).c_str()));
    }
  }

  void expectEmptyStderr() {
    if (!result_.stderrText.empty()) {
      fail("stderr not empty: " + quoteLineAt(result_.stderrText, 0));
    }
  }

  void expectText(const char* what, const std::string& expectedText, const std::string& actual) {
    const std::string difference = compareText(expectedText, actual);
    if (!difference.empty()) {
      fail(formatText("%s %s", what, difference.c_str()));
    }
  }

  void fail(const std::string& problem) { problems_.push_back(problem); }

  const ProcessResult& result() const { return result_; }
  const std::vector<std::string>& problems() const { return problems_; }

 private:
  fs::path caseDir_;
  fs::path captureDir_;
  fs::path workDir_;
  ProcessResult result_;
  std::vector<std::string> problems_;
};

// mevlo prints an empty line and three free-worded lines before anything the
// corpus prescribes. Removes them; false when they are not there.
bool stripBanner(std::string& text) {
  if (text.empty() || text[0] != '\n') {
    return false;
  }
  size_t offset = 1;
  for (int line = 0; line < 3; ++line) {
    const size_t newline = text.find('\n', offset);
    if (newline == std::string::npos) {
      return false;
    }
    offset = newline + 1;
  }
  text.erase(0, offset);
  return true;
}

bool hasLineStartingWith(const std::string& text, const std::string& prefix) {
  for (size_t lineStart = 0; lineStart < text.size();) {
    if (text.compare(lineStart, prefix.size(), prefix) == 0) {
      return true;
    }
    const size_t newline = text.find('\n', lineStart);
    lineStart = newline == std::string::npos ? text.size() : newline + 1;
  }
  return false;
}

// mevlo in.lod out.3ds
void checkConversion(CommandCheck& check, const Tools& tools) {
  if (!check.run({tools.mevlo, "in.lod", "out.3ds"})) {
    return;
  }
  std::string expected;
  int expectedExit = -1;
  if (check.readExpected("mevlo.exit", expected)) {
    expectedExit = std::atoi(expected.c_str());
    check.expectExit(expectedExit);
  }
  if (check.readExpected("mevlo.stdout", expected)) {
    std::string output = check.result().stdoutText;
    if (stripBanner(output)) {
      check.expectText("stdout after the banner", expected, output);
    } else {
      check.fail("stdout does not start with the banner (an empty line and three lines): " +
                 quoteLineAt(output, 0));
    }
  }
  std::string ours;
  const bool wroteOutput = check.readProduced("out.3ds", ours);
  if (check.readExpected("mevlo.stderr-prefix", expected)) {
    while (!expected.empty() && expected.back() == '\n') {
      expected.pop_back();
    }
    if (!hasLineStartingWith(check.result().stderrText, expected)) {
      check.fail(formatText("stderr has no line starting with \"%s\": got %s", expected.c_str(),
                            quoteLineAt(check.result().stderrText, 0).c_str()));
    }
    if (wroteOutput) {
      check.fail("out.3ds was created");
    }
  } else if (expectedExit == 0) {
    // A completed run reports nothing on standard error.
    check.expectEmptyStderr();
  }
  if (check.readExpected("out.3ds", expected)) {
    const std::string difference = wroteOutput ? compare3ds(expected, ours) : "was not written";
    if (!difference.empty()) {
      check.fail("out.3ds " + difference);
    }
  }
}

// lodtool list in.lod
void checkListing(CommandCheck& check, const Tools& tools) {
  std::string expected;
  if (!check.readExpected("list.stdout", expected) ||
      !check.run({tools.lodtool, "list", "in.lod"})) {
    return;
  }
  check.expectExit(0);
  check.expectEmptyStderr();
  check.expectText("stdout", expected, check.result().stdoutText);
}

// lodtool repack in.lod out.lod
void checkRepack(CommandCheck& check, const Tools& tools) {
  std::string expected;
  if (!check.readExpected("repack.lod", expected) ||
      !check.run({tools.lodtool, "repack", "in.lod", "out.lod"})) {
    return;
  }
  check.expectExit(0);
  check.expectEmptyStderr();
  std::string ours;
  const std::string difference =
      check.readProduced("out.lod", ours) ? compareLodWords(expected, ours) : "was not written";
  if (!difference.empty()) {
    check.fail("out.lod " + difference);
  }
  if (check.readExpected("repack.stdout", expected)) {
    check.expectText("stdout", expected, check.result().stdoutText);
  }
}

// Runs the three commands of one case; prints one line per failing command.
bool runCase(const fs::path& caseDir, const Tools& tools, const fs::path& scratchDir) {
  struct Command {
    const char* name;
    void (*check)(CommandCheck&, const Tools&);
  };
  static const Command kCommands[] = {
      {"mevlo", checkConversion}, {"lodtool list", checkListing}, {"lodtool repack", checkRepack}};

  bool passed = true;
  const std::string caseName = caseDir.filename().string();
  for (const Command& command : kCommands) {
    std::string folderName = command.name;
    std::replace(folderName.begin(), folderName.end(), ' ', '_');
    CommandCheck check(caseDir, scratchDir / caseName / folderName);
    command.check(check, tools);
    if (check.problems().empty()) {
      continue;
    }
    passed = false;
    std::string line = formatText("FAIL %s [%s]:", caseName.c_str(), command.name);
    for (size_t i = 0; i < check.problems().size(); ++i) {
      line += (i == 0 ? " " : "; ") + check.problems()[i];
    }
    std::printf("%s\n", line.c_str());
  }
  return passed;
}

std::vector<fs::path> findCases(const fs::path& corpus) {
  std::vector<fs::path> cases;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(corpus, error)) {
    std::error_code ignored;
    if (entry.is_directory(ignored) && fs::is_regular_file(entry.path() / "in.lod", ignored)) {
      cases.push_back(entry.path());
    }
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

// An absolute path to an executable, or empty when there is none.
std::string findExecutable(const char* path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  const fs::file_status status = fs::status(absolute, error);
  const bool runnable = !error && fs::is_regular_file(status) &&
                        (status.permissions() & fs::perms::owner_exec) != fs::perms::none;
  return runnable ? absolute.string() : std::string();
}

// A new, empty folder of our own under the system's temporary folder.
bool makeScratchFolder(fs::path& folder) {
  std::error_code error;
  const fs::path base = fs::temp_directory_path(error);
  if (error) {
    return false;
  }
  std::mt19937_64 random(static_cast<uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    folder = base / formatText("mevlo-conformance-%016llx",
                               static_cast<unsigned long long>(random()));
    if (fs::create_directory(folder, error)) {
      return true;
    }
  }
  return false;
}

int runConformance(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "Usage: %s MEVLO LODTOOL CORPUS_DIR [CASE]\n", argv[0]);
    return kExitSetupError;
  }
  const fs::path corpus(argv[3]);
  std::error_code error;
  if (!fs::is_directory(corpus, error)) {
    std::printf("SKIPPED: conformance corpus not found at %s\n", corpus.string().c_str());
    return kExitSkipped;
  }
  const Tools tools{findExecutable(argv[1]), findExecutable(argv[2])};
  if (tools.mevlo.empty() || tools.lodtool.empty()) {
    std::fprintf(stderr, "%s: not an executable\n", tools.mevlo.empty() ? argv[1] : argv[2]);
    return kExitSetupError;
  }
  std::vector<fs::path> cases = findCases(corpus);
  const bool singleCase = argc == 5;
  if (singleCase) {
    cases.erase(std::remove_if(cases.begin(), cases.end(),
                               [&](const fs::path& c) { return c.filename() != argv[4]; }),
                cases.end());
    if (cases.empty()) {
      std::fprintf(stderr, "No case named %s in %s\n", argv[4], corpus.string().c_str());
      return kExitSetupError;
    }
  }
  fs::path scratch;
  if (!makeScratchFolder(scratch)) {
    std::fprintf(stderr, "Cannot create a scratch folder\n");
    return kExitSetupError;
  }

  size_t failed = 0;
  for (const fs::path& caseDir : cases) {
    if (!runCase(caseDir, tools, scratch)) {
      ++failed;
    }
  }
  std::printf("%zu cases, %zu failed\n", cases.size(), failed);
  if (singleCase) {
    std::printf("Outputs kept in %s\n", scratch.string().c_str());
  } else {
    fs::remove_all(scratch, error);
  }
  return failed == 0 ? 0 : 1;
}

}  // namespace
}  // namespace conformance

int main(int argc, char** argv) { return conformance::runConformance(argc, argv); }
