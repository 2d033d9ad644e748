// mevlo: converts a LOD model into a 3DS file.
//
// The run is a straight line: read the input, load the node tree, convert it
// into meshes, and only then create the output and write it. The output
// replaces the target only when completely written, so any failure leaves
// the output path as it was.
#include <cstdio>
#include <iostream>
#include <string>

#include "driver/commands/out_of_memory.h"
#include "io/atomic_output.h"
#include "io/console_output.h"
#include "io/input_file.h"
#include "io/program_arguments.h"
#include "lod/lod_model.h"
#include "out3ds/convert.h"
#include "out3ds/scene.h"
#include "out3ds/write3ds.h"

namespace {

// Standard output mixes printf and std::cout; both must appear in call
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
    mevlo::LodModel model;
    model.loadInput(std::move(input));
    std::cout << "\nOpened " << inPath << "\nOutput file " << outPath << "\nNumber of nodes: " << model.nodeCount
              << "\n";

    mevlo::Scene3ds scene;
    mevlo::ConversionState conversion(scene);
    const bool converted = mevlo::convertTree(model.root.get(), conversion);
    // What the walk read decides the messages and whether a file is made.
    if (!model.input().intact()) {
        std::cerr << mevlo::InputFile::lostMessage(inPath) << "\n";
        return 1;
    }
    if (!converted) {
        std::cerr << conversion.overflow << "\n";
        return 1;
    }
    if (conversion.droppedFaces > 0) {
        std::printf("Faces dropped: %lld (vertex index out of range)\n",
                    static_cast<long long>(conversion.droppedFaces));
    }

    std::string error;
    mevlo::AtomicOutput output;
    if (!output.open(outPath, error)) {
        std::cerr << error << "\n";
        return 1;
    }
    std::printf("Begin Write\n");
    mevlo::write3ds(scene, output);
    // The vertices were read from the input while being written: the file
    // is put in place only if the input stayed whole up to here.
    if (!model.input().intact()) {
        std::cerr << mevlo::InputFile::lostMessage(inPath) << "\n";
        return 1;
    }
    // A failed write was remembered by the output; commit reports it.
    if (!output.commit(error)) {
        std::cerr << error << "\n";
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
