// fuzz_make_hostile DIR [SIZE]: writes the hostile models of
// fuzz/hostile_models.h, each about SIZE bytes (default 1 MiB), as
// DIR/<name>.lod, and those of fuzz/hostile_gltf.h as DIR/<name>.glb, for
// measuring the time and memory of every command.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/hostile_gltf.h"
#include "fuzz/hostile_models.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fputs("Usage: fuzz_make_hostile DIR [SIZE]\n", stderr);
        return 1;
    }
    const size_t size = argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 1u << 20;
    std::vector<std::pair<mevlofuzz::HostileModel, const char*>> models;
    for (auto& model : mevlofuzz::hostileModels(size)) models.emplace_back(std::move(model), ".lod");
    for (auto& model : mevlofuzz::hostileGltfModels(size)) models.emplace_back(std::move(model), ".glb");
    for (const auto& [model, extension] : models) {
        const std::string path = std::string(argv[1]) + "/" + model.name + extension;
        std::FILE* out = std::fopen(path.c_str(), "wb");
        bool ok = out && std::fwrite(model.bytes.data(), 1, model.bytes.size(), out) == model.bytes.size();
        if (out) ok = std::fclose(out) == 0 && ok;
        if (!ok) {
            std::fprintf(stderr, "fuzz_make_hostile: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
