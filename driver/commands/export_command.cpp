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
#include "driver/commands/file_batch.h"
#include "driver/commands/model_gltf.h"
#include "driver/commands/output_jobs.h"
#include "driver/commands/stdout_messages.h"
#include "io/atomic_output.h"
#include "io/input_file.h"
#include "lod/lod_model.h"
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

struct ExportSettings {
    Format format = Format::None;
    std::string outDir;
    bool quiet = false;
    GltfExportOptions gltf;
    std::vector<std::string> paths;
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

// The glTF of the model at outPath (with its .bin beside it for .gltf).
JobResult writeGltfFiles(LodModel& model, const std::string& outPath, Format format,
                         const GltfExportOptions& options) {
    GltfDocument document;
    GltfExportReport report;
    JobResult result = buildModelGltf(model, options, document, report);
    if (!result.ok) return result;
    std::vector<ByteSpan> buffer;
    for (const auto& block : document.binBlocks) buffer.push_back({block.data(), block.size()});
    std::string error;
    if (format == Format::Glb) {
        // The JSON text is written from where it was made (tens of
        // megabytes for a large model), between the pieces of its frame.
        const std::string json = encodeGltfJson(document, "");
        const GlbFrame frame = glbFrameOf(json.size(), static_cast<size_t>(document.binSize));
        buffer.insert(buffer.begin(), {ByteSpan{frame.before, sizeof frame.before}, ByteSpan{json.data(), json.size()},
                                       ByteSpan{frame.after, frame.afterSize}});
        if (!writeWholeFile(outPath, buffer, error)) return JobResult::failed(JobResult::Subject::Named, error);
    } else {
        // The buffer is named by its file name only, so the pair can move.
        const std::string binPath = withoutExtension(outPath) + ".bin";
        if (binPath == outPath) {
            return JobResult::failed(JobResult::Subject::Output, "the buffer file would have the output's own name");
        }
        const bool withBuffer = document.binSize > 0;
        const std::string json = encodeGltfJson(document, withBuffer ? baseName(binPath) : "");
        // The buffer file is not one the user named: its failure is told
        // after the model it was made for.
        if (withBuffer && !writeWholeFile(binPath, buffer, error))
            return JobResult::failed(JobResult::Subject::Input, error);
        if (!writeWholeFile(outPath, {ByteSpan{json.data(), json.size()}}, error))
            return JobResult::failed(JobResult::Subject::Named, error);
    }
    result.triangles = report.triangles;
    return result;
}

// Exports one model.
JobResult exportOne(const BatchFile& file, Format format, const ExportSettings& settings) {
    InputFile input;
    std::string error;
    if (!input.open(file.in, error)) return JobResult::failed(JobResult::Subject::Named, error);
    // Loading messages go to standard output, as for the other commands.
    StdoutMessages messages;
    LodModel model;
    model.loadInput(std::move(input), messages);
    if (format == Format::ThreeDs) return write3dsFile(model, file.out, messages, false);
    return writeGltfFiles(model, file.out, format, settings.gltf);
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

    // Every file of the batch has the same format.
    Format format = settings.format;
    std::vector<BatchFile> files;
    if (settings.outDir.empty()) {
        if (format == Format::None) format = formatNamed(extensionOfPath(settings.paths[1]));
        if (format == Format::None) {
            std::fprintf(stderr, "lodtool export: %s: cannot tell the format from the extension (use --format)\n",
                         settings.paths[1].c_str());
            return 1;
        }
        files.push_back({settings.paths[0], settings.paths[1]});
    } else {
        if (format == Format::None) format = Format::Glb;
        files = filesIntoFolder(settings.outDir, settings.paths, extensionOf(format));
    }

    return runFileBatch(files, settings.quiet, "Exported", [&](const BatchFile& file) {
        return exportOne(file, format, settings);
    });
}

}  // namespace mevlo
