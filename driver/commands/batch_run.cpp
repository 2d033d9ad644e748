#include "driver/commands/batch_run.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "driver/commands/out_of_memory.h"

namespace mevlo {

int runBatch(const std::vector<BatchJob>& jobs, bool quiet, const char* verb, const BatchStep& step) {
    const bool progress = !quiet && isatty(fileno(stderr));
    int64_t written = 0;
    int64_t failed = 0;
    int64_t triangles = 0;
    std::set<std::string> outputs;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const BatchJob& job = jobs[i];
        if (progress) {
            std::fprintf(stderr, "\r[%zu/%zu] %s\033[K", i + 1, jobs.size(), job.in.c_str());
            std::fflush(stderr);
        }
        // Running out of memory on one model fails that model only.
        const int status = runReportingOutOfMemory("lodtool: ", job.in.c_str(), [&]() {
            std::string error;
            bool ok = false;
            if (!outputs.insert(job.out).second) {
                // Two models of the same name: the later one would replace
                // the earlier one's output.
                error = job.in + ": " + job.out + " was already written for another model";
            } else {
                ok = step(i, triangles, error);
            }
            std::fflush(stdout);
            if (ok) return 0;
            if (progress) std::fputs("\r\033[K", stderr);
            std::fprintf(stderr, "lodtool: %s\n", error.c_str());
            return 1;
        });
        if (status == 0) {
            ++written;
        } else {
            ++failed;
        }
    }
    if (progress) std::fputs("\r\033[K", stderr);
    if (!quiet) {
        std::printf("%s: %lld written, %lld failed, %lld triangles\n", verb, static_cast<long long>(written),
                    static_cast<long long>(failed), static_cast<long long>(triangles));
    }
    return failed > 0 ? 1 : 0;
}

std::string batchOutputPath(const std::string& outDir, const std::string& inPath, const char* extension) {
    const std::string name = std::filesystem::u8path(inPath).filename().replace_extension().u8string();
    return outDir + "/" + name + "." + extension;
}

}  // namespace mevlo
