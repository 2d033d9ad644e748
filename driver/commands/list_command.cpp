// lodtool list: loads a model and prints the listing of its node tree.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "driver/commands/commands.h"
#include "driver/commands/file_io.h"
#include "lod/lod_model.h"
#include "lod/lod_node.h"

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

int runListCommand(const char* modelPath) {
    std::FILE* in = std::fopen(modelPath, "rb");
    if (in == nullptr) {
        reportInputFailure(modelPath, "cannot open", errno);
        return 1;
    }
    // The whole file is read before loading, so that a file that cannot be
    // read (a directory, an I/O error) is refused before anything is listed.
    std::vector<uint8_t> bytes;
    errno = 0;
    const bool readOk = readWholeStream(in, bytes);
    const int readErrno = errno;
    std::fclose(in);
    if (!readOk) {
        reportInputFailure(modelPath, "cannot read", readErrno);
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
