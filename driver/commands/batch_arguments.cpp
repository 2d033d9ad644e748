#include "driver/commands/batch_arguments.h"

#include <cmath>
#include <cstdlib>

namespace mevlo {

ArgumentsRead readBatchArguments(int argc, char** argv, const char* pairForm, BatchArguments& arguments,
                                 std::string& problem, const CommandOption& own) {
    bool optionsEnd = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
            arguments.paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "--help" || arg == "-h") {
            return ArgumentsRead::Help;
        } else if (arg == "-q") {
            arguments.quiet = true;
        } else if (arg == "--no-flip-v") {
            arguments.flipV = false;
        } else if (arg == "-o" && value) {
            arguments.outDir = argv[++i];
        } else if (arg == "--scale" && value) {
            char* end = nullptr;
            const double scale = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !std::isfinite(scale) || !(scale > 0.0)) {
                problem = std::string("--scale needs a positive number, not ") + argv[i];
                return ArgumentsRead::Problem;
            }
            arguments.scale = scale;
        } else {
            const OptionUse use = own(arg, value, i, problem);
            if (use == OptionUse::Refused) return ArgumentsRead::Problem;
            if (use == OptionUse::NotMine) {
                problem = "unknown option or missing value: " + arg;
                return ArgumentsRead::Problem;
            }
        }
    }
    if (arguments.outDir.empty() && arguments.paths.size() != 2) {
        problem = std::string("give ") + pairForm + ", or -o OUTDIR and the models";
        return ArgumentsRead::Problem;
    }
    if (!arguments.outDir.empty() && arguments.paths.empty()) {
        problem = "no models given";
        return ArgumentsRead::Problem;
    }
    return ArgumentsRead::Run;
}

}  // namespace mevlo
