// fuzz_make_gltf_seeds DIR [MODEL.lod...]: the import harness's seeds, our
// own exports: every seed model and every model given, as DIR/<name>.glb
// and as DIR/<name>.gltf with its buffer in a data: URI (the harness reads
// no files beside its input).
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/seed_models.h"
#include "common/message_sink.h"
#include "lod/lod_model.h"
#include "outgltf/gltf_encoder.h"
#include "outgltf/gltf_export.h"

namespace {

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    bool ok = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out) ok = std::fclose(out) == 0 && ok;
    if (!ok) std::fprintf(stderr, "fuzz_make_gltf_seeds: cannot write %s\n", path.c_str());
    return ok;
}

std::string base64(const std::vector<uint8_t>& bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = static_cast<uint32_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<uint32_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) v |= bytes[i + 2];
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[v & 63] : '=';
    }
    return out;
}

// Both forms of one model; true when it exported (or could not be).
bool writeSeeds(const std::string& dir, const std::string& name, const std::vector<uint8_t>& lod) {
    mevlo::LodModel model;
    mevlo::MessageCount messages;
    model.loadBytes(lod.data(), lod.size(), messages);
    mevlo::GltfExportOptions options;
    options.elementLimit = mevlo::gltfElementLimit(static_cast<int64_t>(lod.size()));
    mevlo::GltfDocument document;
    mevlo::GltfExportReport report;
    if (!mevlo::buildGltf(model.root.get(), options, document, report)) return true;
    std::vector<uint8_t> bin;
    for (const auto& block : document.binBlocks) bin.insert(bin.end(), block.data(), block.data() + block.size());
    const std::string json = mevlo::encodeGltfJson(document, "");
    std::vector<uint8_t> glb = mevlo::encodeGlbHead(json, bin.size());
    glb.insert(glb.end(), bin.begin(), bin.end());
    const std::string embedded =
        mevlo::encodeGltfJson(document, bin.empty() ? "" : "data:application/octet-stream;base64," + base64(bin));
    return writeFile(dir + "/" + name + ".glb", glb) &&
           writeFile(dir + "/" + name + ".gltf", std::vector<uint8_t>(embedded.begin(), embedded.end()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("Usage: fuzz_make_gltf_seeds DIR [MODEL.lod...]\n", stderr);
        return 1;
    }
    if (!std::freopen("/dev/null", "w", stdout)) return 1;  // loading messages
    const std::string dir = argv[1];
    for (const mevlofuzz::SeedModel& seed : mevlofuzz::seedModels())
        if (!writeSeeds(dir, seed.name, seed.bytes)) return 1;
    for (int i = 2; i < argc; ++i) {
        mevlo::InputFile input;
        std::string error;
        if (!input.open(argv[i], error)) {
            std::fprintf(stderr, "fuzz_make_gltf_seeds: %s\n", error.c_str());
            return 1;
        }
        std::string name = argv[i];
        name = name.substr(name.find_last_of('/') + 1);
        name = name.substr(0, name.rfind('.'));
        if (!writeSeeds(dir, name, std::vector<uint8_t>(input.data(), input.data() + input.size()))) return 1;
    }
    return 0;
}
