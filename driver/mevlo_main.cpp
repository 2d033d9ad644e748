// mevlo: converts a LOD model into a 3DS file.
//
// The run is a straight line: read the input, load the node tree, convert it
// into meshes, and only then create the output and write it. The output
// replaces the target only when completely written, so any failure leaves
// the output path as it was.
#include <iostream>
#include <string>

#include "driver/commands/out_of_memory.h"
#include "driver/commands/output_jobs.h"
#include "driver/commands/stdout_messages.h"
#include "io/console_output.h"
#include "io/input_file.h"
#include "io/program_arguments.h"
#include "lod/lod_model.h"

namespace {

// Standard output mixes stdio and std::cout; both must appear in call
// order, which the default stdio synchronisation of the streams guarantees.

void printBanner() {
    std::cout << "\n"
              << "mevlo " MEVLO_VERSION_SHORT " - LOD model to 3DS mesh converter\n"
              << "Written by the mevlo developers\n"
              << "Thanks to everyone who tested it with their models\n";
}

int runConversion(const char* inPath, const char* outPath) {
    // A path that opens but cannot be read (a directory, an I/O error) is
    // refused in the same words as a missing one, before the banner.
    mevlo::InputFile input;
    std::string readError;
    if (!input.open(inPath, readError)) {
        std::cerr << "Source file not found\n";
        return 1;
    }

    printBanner();
    // Loading, converting and writing report their messages on standard
    // output, between the lines printed here.
    mevlo::StdoutMessages messages;
    mevlo::LodModel model;
    model.loadInput(std::move(input), messages);
    std::cout << "\nOpened " << inPath << "\nOutput file " << outPath << "\nNumber of nodes: " << model.nodeCount
              << "\n";

    const mevlo::JobResult result = mevlo::write3dsFile(model, outPath, messages, true);
    if (!result.ok) {
        // A model refused by the 3DS limits is told in its own words; a
        // file that failed, with its path.
        const bool aboutModel = result.subject == mevlo::JobResult::Subject::Model;
        std::cerr << (aboutModel ? result.reason : result.line(inPath, outPath)) << "\n";
        return 1;
    }
    model.release();
    std::cout << "Write OK.\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    mevlo::startConsoleOutput();
    argv = mevlo::utf8Arguments(argc, argv);
    if (argc != 3) {
        std::cerr << "Invalid syntax! Usage mevlo inFile.lod outFile.3ds\n";
        return 1;
    }
    const int status = mevlo::runReportingOutOfMemory("", argv[1], [argv] { return runConversion(argv[1], argv[2]); });
    // The progress lines are part of the result: a failed write of them
    // fails the run (a completed output file is kept).
    return mevlo::finishConsoleOutput("mevlo") ? status : 1;
}
