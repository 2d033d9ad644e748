// lodtool list: loads a model and prints the listing of its node tree.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "driver/commands/commands.h"
#include "driver/commands/file_io.h"
#include "lod/lod_model.h"
#include "lod/lod_node.h"

namespace mevlo {

int runListCommand(const char* modelPath) {
    // The whole file is read first, so that a file that cannot be read (a
    // directory, an I/O error) is refused before anything is printed.
    std::vector<uint8_t> bytes;
    std::string readError;
    if (!readInputFile(modelPath, bytes, readError)) {
        std::fprintf(stderr, "lodtool: %s\n", readError.c_str());
        return 1;
    }

    // Loading messages go to standard output, as during a conversion.
    LodModel model;
    model.loadBytes(std::move(bytes));
    if (model.root) model.root->print();
    std::fflush(stdout);
    return 0;
}

}  // namespace mevlo
