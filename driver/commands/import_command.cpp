// lodtool import: makes a LOD model of a glTF 2.0 file (.glb, or .gltf with
// its buffers beside it or in data: URIs). One file, or many into a folder
// (-o); a failing file gets its one stderr line and the others go on.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/commands/batch_arguments.h"
#include "driver/commands/commands.h"
#include "driver/commands/file_batch.h"
#include "driver/commands/output_jobs.h"
#include "ingltf/gltf_scene.h"
#include "ingltf/gltf_to_lod.h"
#include "io/atomic_output.h"

namespace mevlo {

namespace {

const char kImportUsage[] =
    "Usage: lodtool import [options] MODEL.glb|MODEL.gltf OUT.lod\n"
    "       lodtool import [options] -o OUTDIR MODEL.glb|MODEL.gltf...\n"
    "\n"
    "Makes a LOD model of a glTF 2.0 file: binary (.glb), or JSON (.gltf) with its\n"
    "buffers in files beside it or in data: URIs.\n"
    "\n"
    "Options:\n"
    "  -o OUTDIR              write OUTDIR/NAME.lod for every model given (OUTDIR is\n"
    "                         made if missing)\n"
    "  --no-flip-v            read texture coordinates as stored instead of (u, 1 - v)\n"
    "  --scale F              multiply every position and translation by F (> 0)\n"
    "  --max-vertices N       at most N vertices per container (3 to 65536, default\n"
    "                         65536); larger meshes are split\n"
    "  -q                     no progress line and no summary\n"
    "  --help                 show this help and exit\n";

struct ImportSettings {
    BatchArguments batch;
    GltfImportOptions options;
};

// Reads the arguments into settings.
ArgumentsRead readArguments(int argc, char** argv, ImportSettings& settings, std::string& problem) {
    const ArgumentsRead read = readBatchArguments(
        argc, argv, "MODEL.glb|MODEL.gltf and OUT.lod", settings.batch, problem,
        [&](const std::string& arg, const char* value, int& i, std::string& refusal) {
            if (arg != "--max-vertices" || !value) return OptionUse::NotMine;
            char* end = nullptr;
            const long count = std::strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0' || count < 3 || count > 65536) {
                refusal = std::string("--max-vertices needs a whole number from 3 to 65536, not ") + argv[i];
                return OptionUse::Refused;
            }
            settings.options.maxVertices = static_cast<int32_t>(count);
            return OptionUse::Taken;
        });
    settings.options.flipV = settings.batch.flipV;
    settings.options.scale = settings.batch.scale;
    return read;
}

// False once a mapped input lost pages while it was read.
bool inputsIntact(const GltfScene& scene) {
    if (!scene.file.intact()) return false;
    for (const InputFile& file : scene.bufferFiles)
        if (!file.intact()) return false;
    return true;
}

// Imports one model.
JobResult importOne(const BatchFile& file, const GltfImportOptions& options) {
    GltfScene scene;
    std::string error;
    if (!readGltfFile(file.in, scene, error)) return JobResult::failed(JobResult::Subject::Input, error);
    ImportedLod lod;
    GltfImportReport report;
    const bool built = mapGltfScene(scene, options, lod, report);
    if (!inputsIntact(scene)) return JobResult::failed(JobResult::Subject::Input, InputFile::kLostReason);
    if (!built) return JobResult::failed(JobResult::Subject::Input, report.failure);
    // The tree holds everything; the input's memory goes before the file
    // is laid out, and the file goes out in pieces, never whole in memory.
    scene = GltfScene();
    const LodFileLayout layout(lod.tree, lod.top);
    if (layout.size() < 0) return JobResult::failed(JobResult::Subject::Input, kImportTooLarge);
    for (const std::string& note : report.notes) std::printf("%s\n", note.c_str());
    AtomicOutput output;
    if (!output.open(file.out, error)) return JobResult::failed(JobResult::Subject::Named, error);
    // A failed write is reported by commit.
    layout.write([&output](const uint8_t* data, size_t size) { return output.write(data, size); });
    if (!output.commit(error)) return JobResult::failed(JobResult::Subject::Named, error);
    JobResult done;
    done.triangles = report.triangles;
    return done;
}

}  // namespace

int runImportCommand(int argc, char** argv) {
    ImportSettings settings;
    std::string problem;
    switch (readArguments(argc, argv, settings, problem)) {
        case ArgumentsRead::Help:
            std::fputs(kImportUsage, stdout);
            return 0;
        case ArgumentsRead::Problem:
            std::fprintf(stderr, "lodtool import: %s\n%s", problem.c_str(), kImportUsage);
            return 1;
        case ArgumentsRead::Run:
            break;
    }
    const BatchArguments& batch = settings.batch;
    const std::vector<BatchFile> files = batch.outDir.empty()
                                             ? std::vector<BatchFile>{{batch.paths[0], batch.paths[1]}}
                                             : filesIntoFolder(batch.outDir, batch.paths, "lod");
    return runFileBatch(files, batch.quiet, "Imported",
                        [&](const BatchFile& file) { return importOne(file, settings.options); });
}

}  // namespace mevlo
