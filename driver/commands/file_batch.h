// A batch of lodtool: one job per input file, run in order, each failing on
// its own while the others go on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "driver/commands/output_jobs.h"

namespace mevlo {

struct BatchFile {
    std::string in;
    std::string out;
};

// The files of a batch into outDir: OUTDIR/NAME.EXT for every input (NAME
// is its file name without its extension). A missing output folder is made;
// if that fails, every file says so when it is written.
std::vector<BatchFile> filesIntoFolder(const std::string& outDir, const std::vector<std::string>& inputs,
                                       const char* extension);

// Runs job on every file in order. Two inputs of the same name would write
// one output: the later one fails instead of replacing the earlier one's. On a terminal (and unless quiet) a
// progress line "[i/n] IN" is kept up to date on standard error. A failing
// file gets one line "lodtool: " + its JobResult::line on standard error,
// after what its job printed on standard output; running out of memory fails
// that file only. Unless quiet, the batch ends with the summary line
// "<title>: N written, M failed, T triangles" on standard output. Returns
// the exit status: 1 if any file failed.
int runFileBatch(const std::vector<BatchFile>& files, bool quiet, const char* title,
                 const std::function<JobResult(const BatchFile& file)>& job);

}  // namespace mevlo
