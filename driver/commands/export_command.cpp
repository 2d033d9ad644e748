// lodtool export: writes a model as binary glTF (.glb), glTF JSON with its
// buffer beside it (.gltf + .bin), or 3DS (.3ds, the same bytes as mevlo).
// One file, or many into a folder (-o); a failing file gets its one stderr
// line and the others go on.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "driver/commands/commands.h"
#include "driver/commands/batch_run.h"
#include "driver/commands/model_gltf.h"
#include "io/atomic_output.h"
#include "io/input_file.h"
#include "lod/lod_model.h"
#include "out3ds/convert.h"
#include "out3ds/scene.h"
#include "out3ds/write3ds.h"
#include "outgltf/gltf_encoder.h"
#include "outgltf/gltf_export.h"

namespace mevlo {

namespace {

const char kExportUsage[] =
    "Usage: lodtool export [options] MODEL.lod OUT.glb|OUT.gltf|OUT.3ds\n"
    "       lodtool export [options] -o OUTDIR MODEL.lod...\n"
    "\n"
    "Writes binary glTF (.glb), glTF JSON with OUT.bin beside it (.gltf), or\n"
    "3DS (.3ds, the same file as mevlo). The format follows the extension.\n"
    "\n"
    "Options:\n"
    "  --format glb|gltf|3ds  write this format whatever the extension (default\n"
    "                         with -o: glb)\n"
    "  -o OUTDIR              write OUTDIR/NAME.EXT for every MODEL.lod given (OUTDIR\n"
    "                         is made if missing)\n"
    "  --no-flip-v            write texture coordinates as stored instead of (u, 1 - v)\n"
    "  --textures PATTERN     image file of a texture number, {n} replaced by it\n"
    "                         (e.g. textures/{n}.png), relative to the output\n"
    "  --scale F              multiply every position and translation by F (> 0)\n"
    "  -q                     no progress line and no summary\n"
    "  --help                 show this help and exit\n";

enum class Format { None, Glb, Gltf, ThreeDs };

Format formatNamed(const std::string& name) {
    if (name == "glb") return Format::Glb;
    if (name == "gltf") return Format::Gltf;
    if (name == "3ds") return Format::ThreeDs;
    return Format::None;
}

const char* extensionOf(Format format) {
    switch (format) {
        case Format::Glb:
            return "glb";
        case Format::Gltf:
            return "gltf";
        default:
            return "3ds";
    }
}

std::string lowercase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Paths are UTF-8 everywhere; std::filesystem knows the system's separators
// (on Windows also "\" and a drive's "C:").
std::filesystem::path pathOf(const std::string& utf8) { return std::filesystem::u8path(utf8); }

// The file name part of a path.
std::string baseName(const std::string& path) { return pathOf(path).filename().u8string(); }

// Path without the extension of its file name ("a/b.c" -> "a/b"; a name
// that starts with its only dot has none).
std::string withoutExtension(const std::string& path) { return pathOf(path).replace_extension().u8string(); }

std::string extensionOfPath(const std::string& path) {
    const std::string stem = withoutExtension(path);
    return stem.size() < path.size() ? lowercase(path.substr(stem.size() + 1)) : std::string();
}

struct OutputPiece {
    const void* data = nullptr;
    size_t size = 0;
};

// Writes the pieces, in order, as the new content of path: the target is
// replaced only once everything was written.
bool writeOutputPieces(const std::string& path, const std::vector<OutputPiece>& pieces, std::string& error) {
    AtomicOutput output;
    if (!output.open(path, error)) return false;
    for (const OutputPiece& piece : pieces) {
        if (!output.write(piece.data, piece.size)) break;  // commit reports why
    }
    return output.commit(error);
}

struct ExportSettings {
    Format format = Format::None;
    std::string outDir;
    bool quiet = false;
    GltfExportOptions gltf;
    std::vector<std::string> paths;
};

struct Totals {
    int64_t triangles = 0;
};

// Parses the arguments; false (with a reason, or none for --help) when the
// command cannot run.
bool parseArguments(int argc, char** argv, ExportSettings& settings, std::string& problem, bool& help) {
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
            settings.gltf.flipV = false;
        } else if (arg == "--format" && hasValue) {
            settings.format = formatNamed(lowercase(argv[++i]));
            if (settings.format == Format::None) {
                problem = std::string("unknown format ") + argv[i] + " (glb, gltf or 3ds)";
                return false;
            }
        } else if (arg == "-o" && hasValue) {
            settings.outDir = argv[++i];
        } else if (arg == "--textures" && hasValue) {
            settings.gltf.texturePattern = argv[++i];
        } else if (arg == "--scale" && hasValue) {
            char* end = nullptr;
            const double scale = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !std::isfinite(scale) || !(scale > 0.0)) {
                problem = std::string("--scale needs a positive number, not ") + argv[i];
                return false;
            }
            settings.gltf.scale = scale;
        } else {
            problem = "unknown option or missing value: " + arg;
            return false;
        }
    }
    if (settings.outDir.empty() && settings.paths.size() != 2) {
        problem = "give MODEL.lod and OUT, or -o OUTDIR and the models";
        return false;
    }
    if (!settings.outDir.empty() && settings.paths.empty()) {
        problem = "no models given";
        return false;
    }
    return true;
}

bool export3ds(const LodModel& model, const std::string& outPath, Totals& totals, std::string& error) {
    Scene3ds scene;
    ConversionState conversion(scene);
    const bool converted = convertTree(model.root.get(), conversion);
    if (!model.input().intact()) {
        error = InputFile::kLostReason;
        return false;
    }
    if (!converted) {
        error = conversion.overflow;
        return false;
    }
    if (conversion.droppedFaces > 0) {
        std::printf("Faces dropped: %lld (vertex index out of range)\n",
                    static_cast<long long>(conversion.droppedFaces));
    }
    AtomicOutput output;
    if (!output.open(outPath, error)) return false;
    // A failed write stops the stream; commit reports why.
    stream3ds(scene, [&output](const uint8_t* data, size_t size) { return output.write(data, size); });
    // The vertices were read from the input while being written.
    if (!model.input().intact()) {
        error = InputFile::kLostReason;
        return false;
    }
    if (!output.commit(error)) return false;
    for (int32_t i = 0; i < scene.meshCount(); ++i) totals.triangles += scene.mesh(i).faceCount();
    return true;
}

bool exportGltf(LodModel& model, int64_t inputBytes, const std::string& outPath, Format format,
                const GltfExportOptions& baseOptions, Totals& totals, std::string& error) {
    GltfDocument document;
    GltfExportReport report;
    if (!buildModelGltf(model, inputBytes, baseOptions, document, report, error)) return false;
    if (format == Format::Glb) {
        const std::vector<uint8_t> head = glbHeadOf(document);
        std::vector<OutputPiece> pieces = {{head.data(), head.size()}};
        for (const auto& block : document.binBlocks) pieces.push_back({block.data(), block.size()});
        if (!writeOutputPieces(outPath, pieces, error)) return false;
    } else {
        // The buffer is named by its file name only, so the pair can move.
        const std::string binPath = withoutExtension(outPath) + ".bin";
        if (binPath == outPath) {
            error = outPath + ": the buffer file would have the output's own name";
            return false;
        }
        const bool withBuffer = document.binSize > 0;
        const std::string json = encodeGltfJson(document, withBuffer ? baseName(binPath) : "");
        std::vector<OutputPiece> pieces;
        for (const auto& block : document.binBlocks) pieces.push_back({block.data(), block.size()});
        if (withBuffer && !writeOutputPieces(binPath, pieces, error)) return false;
        if (!writeOutputPieces(outPath, {{json.data(), json.size()}}, error)) return false;
    }
    totals.triangles += report.triangles;
    return true;
}

// Exports one model. False, with the one line that says why, on failure.
bool exportOne(const std::string& inPath, const std::string& outPath, Format format, const ExportSettings& settings,
               Totals& totals, std::string& error) {
    InputFile input;
    if (!input.open(inPath, error)) return false;
    const auto inputBytes = static_cast<int64_t>(input.size());
    // Loading messages go to standard output, as for the other commands.
    LodModel model;
    model.loadInput(std::move(input));
    bool ok = false;
    if (format == Format::ThreeDs) {
        ok = export3ds(model, outPath, totals, error);
    } else {
        ok = exportGltf(model, inputBytes, outPath, format, settings.gltf, totals, error);
    }
    if (!ok && error.rfind(outPath, 0) != 0 && error.rfind(inPath, 0) != 0) error = inPath + ": " + error;
    return ok;
}

}  // namespace

int runExportCommand(int argc, char** argv) {
    ExportSettings settings;
    std::string problem;
    bool help = false;
    if (!parseArguments(argc, argv, settings, problem, help)) {
        if (help) {
            std::fputs(kExportUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "lodtool export: %s\n%s", problem.c_str(), kExportUsage);
        return 1;
    }

    // (input, output, format) of every file.
    struct Job {
        std::string in;
        std::string out;
        Format format;
    };
    std::vector<Job> jobs;
    if (settings.outDir.empty()) {
        const Format byName = formatNamed(extensionOfPath(settings.paths[1]));
        const Format format = settings.format != Format::None ? settings.format : byName;
        if (format == Format::None) {
            std::fprintf(stderr, "lodtool export: %s: cannot tell the format from the extension (use --format)\n",
                         settings.paths[1].c_str());
            return 1;
        }
        jobs.push_back({settings.paths[0], settings.paths[1], format});
    } else {
        // A missing output folder is made; if that fails, every file says so.
        std::error_code ignored;
        std::filesystem::create_directories(pathOf(settings.outDir), ignored);
        const Format format = settings.format != Format::None ? settings.format : Format::Glb;
        for (const std::string& in : settings.paths) {
            jobs.push_back({in, settings.outDir + "/" + withoutExtension(baseName(in)) + "." + extensionOf(format),
                            format});
        }
    }

    std::vector<BatchJob> batch;
    for (const Job& job : jobs) batch.push_back({job.in, job.out});
    return runBatch(batch, settings.quiet, "Exported", [&](size_t i, int64_t& triangles, std::string& error) {
        Totals totals;
        const bool ok = exportOne(jobs[i].in, jobs[i].out, jobs[i].format, settings, totals, error);
        triangles += totals.triangles;
        return ok;
    });
}

}  // namespace mevlo
