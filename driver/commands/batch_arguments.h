// The command line that export and import share: MODEL OUT, or -o OUTDIR
// and the models, with -q, --scale, --no-flip-v, --help and "--" read alike;
// each command reads its own further options through a callback.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace mevlo {

struct BatchArguments {
    std::vector<std::string> paths;
    std::string outDir;
    bool quiet = false;
    bool flipV = true;
    double scale = 1.0;
};

// A command's own option at argv[i]: Taken (i moved past any value it
// read), NotMine, or Refused (problem says why). `value` is the next
// argument, or null at the end.
enum class OptionUse { Taken, NotMine, Refused };
using CommandOption = std::function<OptionUse(const std::string& arg, const char* value, int& i, std::string& problem)>;

enum class ArgumentsRead { Run, Help, Problem };

// Reads argv; with Problem, problem holds the one line to print before the
// usage. `pairForm` names the two paths of the single form ("MODEL.lod and
// OUT").
ArgumentsRead readBatchArguments(int argc, char** argv, const char* pairForm, BatchArguments& arguments,
                                 std::string& problem, const CommandOption& own);

}  // namespace mevlo
