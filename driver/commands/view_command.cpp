// lodtool view: one self-contained web page that shows a model in 3-D with
// its node tree, switch branches and facts. The page holds the binary glTF
// that `lodtool export` writes and the JSON of `lodtool info`, so what it
// shows is exactly what those commands say.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/base64.h"
#include "common/json_writer.h"
#include "driver/commands/commands.h"
#include "driver/commands/model_gltf.h"
#include "driver/commands/out_of_memory.h"
#include "driver/commands/output_jobs.h"
#include "driver/commands/stdout_messages.h"
#include "driver/commands/view_page.h"
#include "driver/commands/viewer_bundle.h"
#include "info/conversion_facts.h"
#include "info/facts_json.h"
#include "info/model_facts.h"
#include "io/input_file.h"
#include "lod/lod_model.h"
#include "outgltf/gltf_encoder.h"

namespace mevlo {

namespace {

const char kViewUsage[] =
    "Usage: lodtool view [options] MODEL.lod [OUT.html]\n"
    "\n"
    "Writes one web page (default MODEL.html beside the model) that shows the model in\n"
    "3-D: its node tree as the glTF export names it, a branch selector per switch number,\n"
    "the facts of lodtool info and the record numbers of the selected node. The page\n"
    "holds everything it shows and loads nothing: open it from disk in a web browser.\n"
    "\n"
    "Options:\n"
    "  --textures PATTERN     image file of a texture number, {n} replaced by it\n"
    "                         (e.g. textures/{n}.png), relative to the page; the images\n"
    "                         are put into the page. Without it faces are coloured by\n"
    "                         texture number.\n"
    "  --help                 show this help and exit\n";

// Images larger than this are left out of the page.
constexpr size_t kMaxImageBytes = 64u << 20;

struct ViewSettings {
    std::string model;
    std::string page;
    std::string texturePattern;
};

bool parseArguments(int argc, char** argv, ViewSettings& settings, std::string& problem, bool& help) {
    std::vector<std::string> paths;
    bool optionsEnd = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
            return false;
        } else if (arg == "--textures" && i + 1 < argc) {
            settings.texturePattern = argv[++i];
        } else {
            problem = "unknown option or missing value: " + arg;
            return false;
        }
    }
    if (paths.empty() || paths.size() > 2) {
        problem = "give MODEL.lod and, if wanted, OUT.html";
        return false;
    }
    settings.model = paths[0];
    const std::filesystem::path model = std::filesystem::u8path(paths[0]);
    settings.page = paths.size() == 2 ? paths[1] : std::filesystem::path(model).replace_extension(".html").u8string();
    if (settings.page == settings.model) {
        problem = settings.model + ": the page would replace the model (name the page)";
        return false;
    }
    return true;
}

// The media type of an image file glTF allows, from its first bytes; null
// for anything else.
const char* imageMediaType(const InputFile& file) {
    static const uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    static const uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
    if (file.size() >= sizeof kPng && std::memcmp(file.data(), kPng, sizeof kPng) == 0) return "image/png";
    if (file.size() >= sizeof kJpeg && std::memcmp(file.data(), kJpeg, sizeof kJpeg) == 0) return "image/jpeg";
    return nullptr;
}

// The images the document names, read from beside the page, as data: URIs
// keyed by the URI the glTF holds. An image that cannot be used is left out
// with one line saying why; the viewer colours its faces by number instead.
std::vector<std::pair<std::string, std::string>> embeddedImages(const GltfDocument& document,
                                                                const std::string& pagePath) {
    std::vector<std::pair<std::string, std::string>> images;
    const std::filesystem::path folder = std::filesystem::u8path(pagePath).parent_path();
    for (const std::string& name : document.images) {
        const std::string path = (folder / std::filesystem::u8path(name)).u8string();
        InputFile file;
        std::string error;
        const char* type = nullptr;
        if (!file.open(path, error)) {
            std::printf("Texture image left out: %s\n", error.c_str());
        } else if (file.size() > kMaxImageBytes) {
            std::printf("Texture image left out: %s: larger than 64 MiB\n", path.c_str());
        } else if ((type = imageMediaType(file)) == nullptr) {
            std::printf("Texture image left out: %s: not a PNG or JPEG image\n", path.c_str());
        } else {
            images.emplace_back(uriReference(name),
                                std::string("data:") + type + ";base64," + base64Of(file.data(), file.size()));
            if (!file.intact()) {
                images.pop_back();
                std::printf("Texture image left out: %s\n", InputFile::lostMessage(path).c_str());
            }
        }
    }
    return images;
}

// Loads the model, gathers its facts and glTF and writes the page.
JobResult writeModelPage(const ViewSettings& settings, const ViewerBundle& bundle) {
    InputFile input;
    std::string error;
    if (!input.open(settings.model, error)) return JobResult::failed(JobResult::Subject::Named, error);
    // Loading messages go to standard output, as for export.
    StdoutMessages messages;
    LodModel model;
    model.loadInput(std::move(input), messages);

    ModelFacts facts;
    facts.file = settings.model;
    collectTreeFacts(model, facts);
    collectConversionFacts(model.root.get(), facts);
    JobResult result = afterReadingInput(model, "");
    if (!result.ok) return result;
    JsonWriter factsJson;
    writeFactsJson(facts, factsJson);

    GltfExportOptions options;
    options.texturePattern = settings.texturePattern;
    // The page draws what glTF says; the import's records and colour
    // materials would only make it larger and slower to open.
    options.importData = false;
    GltfDocument document;
    GltfExportReport report;
    result = buildModelGltf(model, options, document, report);
    if (!result.ok) return result;

    ViewPageContent content;
    content.title = std::filesystem::u8path(settings.model).filename().u8string();
    content.factsJson = std::move(factsJson.text());
    content.images = embeddedImages(document, settings.page);
    content.document = &document;
    if (!writeViewPage(settings.page, bundle, content, error)) {
        return JobResult::failed(JobResult::Subject::Named, error);
    }
    return result;
}

}  // namespace

int runViewCommand(int argc, char** argv) {
    ViewSettings settings;
    std::string problem;
    bool help = false;
    if (!parseArguments(argc, argv, settings, problem, help)) {
        if (help) {
            std::fputs(kViewUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "lodtool view: %s\n%s", problem.c_str(), kViewUsage);
        return 1;
    }
    const ViewerBundle bundle = viewerBundle();
    if (bundle.script == nullptr) {
        std::fputs("lodtool view: this lodtool was built without the viewer (Node.js and npm were missing or "
                   "the npm install failed)\n",
                   stderr);
        return 1;
    }
    return runReportingOutOfMemory("lodtool: ", settings.model.c_str(), [&]() {
        const JobResult result = writeModelPage(settings, bundle);
        std::fflush(stdout);
        if (!result.ok) {
            std::fprintf(stderr, "lodtool: %s\n", result.line(settings.model, settings.page).c_str());
            return 1;
        }
        std::printf("View written: %s\n", settings.page.c_str());
        return 0;
    });
}

}  // namespace mevlo
