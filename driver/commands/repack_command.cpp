// lodtool repack: loads a model and writes it out again as a LOD file.
// The written file is compact (every table once per record that names it,
// nothing unreferenced) and its node type table is in creation order.
#include <cstdio>
#include <string>
#include <utility>

#include "driver/commands/commands.h"
#include "driver/commands/out_of_memory.h"
#include "driver/commands/output_jobs.h"
#include "driver/commands/stdout_messages.h"
#include "io/atomic_output.h"
#include "io/input_file.h"
#include "lod/lod_model.h"
#include "lod/output_size_limit.h"
#include "lod/serialize/lod_file_writer.h"

namespace mevlo {

namespace {

JobResult writeRepackedFile(const LodModel& model, const std::string& outPath, MessageSink& messages,
                            int64_t maxBytes) {
    std::string error;
    LodFileWriter writer;
    const bool planned = writer.plan(model.root.get(), messages, error, maxBytes);
    // Planning reads the records from the input. Its refusal is about the
    // file it would write.
    JobResult result = afterReadingInput(model, planned ? "" : error, JobResult::Subject::Output);
    if (!result.ok) return result;
    // The output replaces the target only once completely written: an
    // input repacked over itself survives a failed write.
    AtomicOutput output;
    if (!output.open(outPath, error)) return JobResult::failed(JobResult::Subject::Named, error);
    // A failed write is remembered by the output; commit reports it.
    writer.stream([&output](const uint8_t* data, size_t size) { return output.write(data, size); });
    if (!output.commit(error)) return JobResult::failed(JobResult::Subject::Named, error);
    return result;
}

int repackModel(const char* inPath, const char* outPath) {
    // The whole file is read first, so that a file that cannot be read (a
    // directory, an I/O error) is refused before anything is printed.
    InputFile input;
    std::string readError;
    if (!input.open(inPath, readError)) {
        std::fprintf(stderr, "lodtool: %s\n", readError.c_str());
        return 1;
    }

    const int64_t maxBytes = outputSizeLimit(static_cast<int64_t>(input.size()));
    // Loading messages go to standard output, as during a conversion.
    StdoutMessages messages;
    LodModel model;
    model.loadInput(std::move(input), messages);
    std::fflush(stdout);

    const JobResult result = writeRepackedFile(model, outPath, messages, maxBytes);
    if (!result.ok) {
        std::fprintf(stderr, "lodtool: %s\n", result.line(inPath, outPath).c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int runRepackCommand(const char* inPath, const char* outPath) {
    return runReportingOutOfMemory("lodtool: ", inPath, [inPath, outPath] { return repackModel(inPath, outPath); });
}

}  // namespace mevlo
