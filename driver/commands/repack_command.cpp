// lodtool repack: loads a model and writes it out again as a LOD file.
// The written file is compact (every table once per record that names it,
// nothing unreferenced) and its node type table is in creation order.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "driver/commands/commands.h"
#include "driver/commands/file_io.h"
#include "lod/lod_model.h"
#include "lod/serialize/lod_file_writer.h"

namespace mevlo {

namespace {

void reportInputFailure(const char* path, const char* what, int err) {
    if (err != 0) {
        std::fprintf(stderr, "lodtool: %s: %s: %s\n", path, what, std::strerror(err));
    } else {
        std::fprintf(stderr, "lodtool: %s: %s\n", path, what);
    }
}

}  // namespace

int runRepackCommand(const char* inPath, const char* outPath) {
    std::FILE* in = std::fopen(inPath, "rb");
    if (in == nullptr) {
        reportInputFailure(inPath, "cannot open", errno);
        return 1;
    }
    // Read in full first: a file that cannot be read is refused before
    // anything is loaded or written.
    std::vector<uint8_t> input;
    errno = 0;
    const bool readOk = readWholeStream(in, input);
    const int readErrno = errno;
    std::fclose(in);
    if (!readOk) {
        reportInputFailure(inPath, "cannot read", readErrno);
        return 1;
    }

    // Loading messages go to standard output, as during a conversion.
    LodModel model;
    model.loadBytes(std::move(input));
    std::fflush(stdout);

    std::vector<uint8_t> output;
    std::string error;
    if (!writeLodFile(model, output, error)) {
        std::fprintf(stderr, "lodtool: %s: %s\n", outPath, error.c_str());
        return 1;
    }
    // writeWholeFile removes a partly written regular file on failure.
    if (!writeWholeFile(outPath, output, error)) {
        std::fprintf(stderr, "lodtool: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace mevlo
