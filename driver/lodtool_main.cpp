// lodtool: inspection, repacking, export and import of LOD models.
#include <cstdio>
#include <cstring>

#include "driver/commands/commands.h"
#include "io/console_output.h"
#include "io/program_arguments.h"

namespace {

const char kUsage[] =
    "Usage: lodtool <command> [arguments]\n"
    "\n"
    "Commands:\n"
    "  list MODEL.lod            print the node tree of MODEL.lod as an indented listing\n"
    "  repack IN.lod OUT.lod     read IN.lod and write it again, compacted, as OUT.lod\n"
    "  export MODEL.lod OUT      write MODEL.lod as OUT.glb, OUT.gltf (+ OUT.bin) or OUT.3ds;\n"
    "                            see lodtool export --help for batches and options\n"
    "  import MODEL.glb OUT.lod  make a LOD model of a glTF 2.0 file (.glb, or .gltf with\n"
    "                            its buffers); see lodtool import --help\n"
    "  info MODEL.lod...         summarise what each model holds and whether it converts\n"
    "                            (--json for scripts, --all for every list entry)\n"
    "  view MODEL.lod [OUT.html] write a web page that shows the model in 3-D with its\n"
    "                            tree, switches and facts; see lodtool view --help\n"
    "\n"
    "Options:\n"
    "  --help                    show this help and exit\n"
    "  --version                 show the version and exit\n";

int usageError() {
    std::fputs(kUsage, stderr);
    return 1;
}

int runLodtool(int argc, char** argv) {
    if (argc < 2) return usageError();
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (std::strcmp(command, "--version") == 0) {
        std::puts("lodtool (mevlo) " MEVLO_VERSION);
        return 0;
    }
    // A known command with the wrong number of arguments gets the usage.
    if (std::strcmp(command, "list") == 0) return argc == 3 ? mevlo::runListCommand(argv[2]) : usageError();
    if (std::strcmp(command, "repack") == 0) {
        return argc == 4 ? mevlo::runRepackCommand(argv[2], argv[3]) : usageError();
    }
    if (std::strcmp(command, "export") == 0) return mevlo::runExportCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "import") == 0) return mevlo::runImportCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "info") == 0) return mevlo::runInfoCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "view") == 0) return mevlo::runViewCommand(argc - 2, argv + 2);
    std::fprintf(stderr, "lodtool: unknown command '%s'\n", command);
    return usageError();
}

}  // namespace

int main(int argc, char** argv) {
    mevlo::startConsoleOutput();
    argv = mevlo::utf8Arguments(argc, argv);
    const int status = runLodtool(argc, argv);
    // Whatever went to standard output must have arrived.
    return mevlo::finishConsoleOutput("lodtool") ? status : 1;
}
