#include "driver/commands/file_batch.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <set>

#include "driver/commands/out_of_memory.h"

namespace mevlo {

std::vector<BatchFile> filesIntoFolder(const std::string& outDir, const std::vector<std::string>& inputs,
                                       const char* extension) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::u8path(outDir), ignored);
    std::vector<BatchFile> files;
    for (const std::string& in : inputs) {
        const std::string name = std::filesystem::u8path(in).filename().replace_extension().u8string();
        files.push_back({in, outDir + "/" + name + "." + extension});
    }
    return files;
}

int runFileBatch(const std::vector<BatchFile>& files, bool quiet, const char* title,
                 const std::function<JobResult(const BatchFile& file)>& job) {
    const bool progress = !quiet && isatty(fileno(stderr));
    int64_t written = 0;
    int64_t failed = 0;
    int64_t triangles = 0;
    std::set<std::string> outputs;
    for (size_t i = 0; i < files.size(); ++i) {
        const BatchFile& file = files[i];
        if (progress) {
            std::fprintf(stderr, "\r[%zu/%zu] %s\033[K", i + 1, files.size(), file.in.c_str());
            std::fflush(stderr);
        }
        // Running out of memory on one file fails that file only.
        const int status = runReportingOutOfMemory("lodtool: ", file.in.c_str(), [&]() {
            const JobResult result = outputs.insert(file.out).second
                                         ? job(file)
                                         : JobResult::failed(JobResult::Subject::Input,
                                                             file.out + " was already written for another model");
            std::fflush(stdout);
            if (result.ok) {
                triangles += result.triangles;
                return 0;
            }
            if (progress) std::fputs("\r\033[K", stderr);
            std::fprintf(stderr, "lodtool: %s\n", result.line(file.in, file.out).c_str());
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
        std::printf("%s: %lld written, %lld failed, %lld triangles\n", title, static_cast<long long>(written),
                    static_cast<long long>(failed), static_cast<long long>(triangles));
    }
    return failed > 0 ? 1 : 0;
}

}  // namespace mevlo
