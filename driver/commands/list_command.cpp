// lodtool list: loads a model and prints the listing of its node tree.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "driver/commands/commands.h"
#include "driver/commands/out_of_memory.h"
#include "driver/commands/stdout_messages.h"
#include "io/input_file.h"
#include "lod/listing/listing_writer.h"
#include "lod/listing/listing_size.h"
#include "lod/lod_model.h"
#include "lod/lod_node.h"
#include "lod/output_size_limit.h"

namespace mevlo {

namespace {

int listModel(const char* modelPath) {
    // The whole file is read first, so that a file that cannot be read (a
    // directory, an I/O error) is refused before anything is printed.
    InputFile input;
    std::string readError;
    if (!input.open(modelPath, readError)) {
        std::fprintf(stderr, "lodtool: %s\n", readError.c_str());
        return 1;
    }

    const auto inputSize = static_cast<int64_t>(input.size());
    // Loading messages go to standard output, as during a conversion.
    StdoutMessages messages;
    LodModel model;
    model.loadInput(std::move(input), messages);
    const int64_t estimate = estimateListingBytes(model.root.get());
    if (estimate > outputSizeLimit(inputSize)) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "lodtool: %s: listing too large: more than %lld bytes from a file of %lld bytes "
                     "(its records are shared or nested in themselves)\n",
                     modelPath, static_cast<long long>(estimate), static_cast<long long>(inputSize));
        return 1;
    }
    {
        // Whatever is listed after the input lost pages never reaches the
        // output; the loss is reported instead.
        ListingWriter listing([](const char* text, size_t size) { std::fwrite(text, 1, size, stdout); },
                              &model.input());
        if (model.root) model.root->print(listing);
        listing.finish();
    }
    if (!model.input().intact()) {
        std::fflush(stdout);
        std::fprintf(stderr, "lodtool: %s\n", InputFile::lostMessage(modelPath).c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int runListCommand(const char* modelPath) {
    return runReportingOutOfMemory("lodtool: ", modelPath, [modelPath] { return listModel(modelPath); });
}

}  // namespace mevlo
