// lodtool import: makes a LOD model of a glTF 2.0 file (.glb, or .gltf with
// its buffers beside it or in data: URIs). One file, or many into a folder
// (-o); a failing file gets its one stderr line and the others go on.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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
    std::string outDir;
    bool quiet = false;
    GltfImportOptions options;
    std::vector<std::string> paths;
};

// Parses the arguments; false (with a reason, or none for --help) when the
// command cannot run.
bool parseArguments(int argc, char** argv, ImportSettings& settings, std::string& problem, bool& help) {
    bool optionsEnd = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
            settings.paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
            return false;
        } else if (arg == "-q") {
            settings.quiet = true;
        } else if (arg == "--no-flip-v") {
            settings.options.flipV = false;
        } else if (arg == "-o" && hasValue) {
            settings.outDir = argv[++i];
        } else if (arg == "--scale" && hasValue) {
            char* end = nullptr;
            const double scale = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !std::isfinite(scale) || !(scale > 0.0)) {
                problem = std::string("--scale needs a positive number, not ") + argv[i];
                return false;
            }
            settings.options.scale = scale;
        } else if (arg == "--max-vertices" && hasValue) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0' || value < 3 || value > 65536) {
                problem = std::string("--max-vertices needs a whole number from 3 to 65536, not ") + argv[i];
                return false;
            }
            settings.options.maxVertices = static_cast<int32_t>(value);
        } else {
            problem = "unknown option or missing value: " + arg;
            return false;
        }
    }
    if (settings.outDir.empty() && settings.paths.size() != 2) {
        problem = "give MODEL.glb|MODEL.gltf and OUT.lod, or -o OUTDIR and the models";
        return false;
    }
    if (!settings.outDir.empty() && settings.paths.empty()) {
        problem = "no models given";
        return false;
    }
    return true;
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
    bool help = false;
    if (!parseArguments(argc, argv, settings, problem, help)) {
        if (help) {
            std::fputs(kImportUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "lodtool import: %s\n%s", problem.c_str(), kImportUsage);
        return 1;
    }
    const std::vector<BatchFile> files = settings.outDir.empty()
                                             ? std::vector<BatchFile>{{settings.paths[0], settings.paths[1]}}
                                             : filesIntoFolder(settings.outDir, settings.paths, "lod");
    return runFileBatch(files, settings.quiet, "Imported",
                        [&](const BatchFile& file) { return importOne(file, settings.options); });
}

}  // namespace mevlo
