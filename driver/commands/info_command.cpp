// lodtool info: what a model holds and whether it converts, as a summary
// for people or as JSON for scripts.
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/json_writer.h"
#include "driver/commands/commands.h"
#include "driver/commands/out_of_memory.h"
#include "info/conversion_facts.h"
#include "info/facts_json.h"
#include "info/facts_text.h"
#include "info/model_facts.h"
#include "io/input_file.h"
#include "lod/lod_model.h"

namespace mevlo {

namespace {

const char kInfoUsage[] =
    "Usage: lodtool info [--json] [--all] MODEL.lod [MODEL2.lod ...]\n"
    "\n"
    "Prints what each model holds: nodes, primitives, meshes and triangles, whether mevlo\n"
    "can convert it, the DOF, switch, slot and texture numbers it uses, its bounds and the\n"
    "problems found while loading it.\n"
    "\n"
    "  --json    one JSON object per model (an array of them for several models)\n"
    "  --all     do not cut long lists in the summary\n";

struct InfoOptions {
    bool json = false;
    bool all = false;
    std::vector<const char*> models;
};

// Reads and loads one model and gathers its facts; false (with the one-line
// reason on standard error) when the file cannot be read.
bool gatherFacts(const char* path, ModelFacts& facts) {
    InputFile input;
    std::string readError;
    if (!input.open(path, readError)) {
        std::fflush(stdout);
        std::fprintf(stderr, "lodtool: %s\n", readError.c_str());
        return false;
    }
    // The loading problems are counted and reported in the summary; printed
    // as they happen they would break the JSON.
    MessageCount messages;
    LodModel model;
    model.loadInput(std::move(input), messages);
    facts.file = path;
    collectTreeFacts(model, facts);
    collectConversionFacts(model.root.get(), facts);
    if (!model.input().intact()) {
        std::fflush(stdout);
        std::fprintf(stderr, "lodtool: %s\n", InputFile::lostMessage(path).c_str());
        return false;
    }
    return true;
}

int describeModels(const InfoOptions& options) {
    int status = 0;
    JsonWriter json;
    const bool array = options.json && options.models.size() > 1;
    if (array) json.beginArray();
    bool first = true;
    for (const char* path : options.models) {
        const int one = runReportingOutOfMemory("lodtool: ", path, [&] {
            ModelFacts facts;
            if (!gatherFacts(path, facts)) return 1;
            if (options.json) {
                // Written whole or not at all, so the document stays valid
                // whatever happens to a later model.
                JsonWriter one;
                writeFactsJson(facts, one);
                json.rawValue(one.text());
            } else {
                if (!first) std::fputc('\n', stdout);
                std::fputs(formatFactsText(facts, options.all).c_str(), stdout);
            }
            first = false;
            return 0;
        });
        if (one != 0) status = 1;
    }
    if (array) json.endArray();
    if (options.json && !json.text().empty()) {
        std::fputs(json.text().c_str(), stdout);
        std::fputc('\n', stdout);
    }
    return status;
}

}  // namespace

int runInfoCommand(int argc, char** argv) {
    InfoOptions options;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kInfoUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--json") == 0) {
            options.json = true;
        } else if (std::strcmp(arg, "--all") == 0) {
            options.all = true;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "lodtool info: unknown option %s\n", arg);
            std::fputs(kInfoUsage, stderr);
            return 1;
        } else {
            options.models.push_back(arg);
        }
    }
    if (options.models.empty()) {
        std::fputs(kInfoUsage, stderr);
        return 1;
    }
    return describeModels(options);
}

}  // namespace mevlo
