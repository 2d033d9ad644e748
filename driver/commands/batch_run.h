// What the file-converting commands (export, import) share: one model after
// another, a progress line on a terminal, one stderr line per failing
// model, a summary line, and status 1 when any model failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mevlo {

struct BatchJob {
    std::string in;
    std::string out;
};

// Converts one model (jobs[index]); on failure error holds the one line
// that says why. Adds the triangles written to `triangles`.
using BatchStep = std::function<bool(size_t index, int64_t& triangles, std::string& error)>;

// Runs step on every job in order. Two jobs writing the same output fail
// the later one. Unless quiet, prints "<verb>: N written, M failed, T
// triangles" at the end. Returns the exit status.
int runBatch(const std::vector<BatchJob>& jobs, bool quiet, const char* verb, const BatchStep& step);

// OUTDIR/NAME.EXT for the model at inPath (NAME is its file name without
// its extension).
std::string batchOutputPath(const std::string& outDir, const std::string& inPath, const char* extension);

}  // namespace mevlo
