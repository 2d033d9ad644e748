// fuzz_make_seeds DIR: writes every seed model as DIR/<name>.lod.
#include <cstdio>
#include <string>

#include "fuzz/seed_models.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: fuzz_make_seeds DIR\n", stderr);
        return 1;
    }
    for (const mevlofuzz::SeedModel& seed : mevlofuzz::seedModels()) {
        const std::string path = std::string(argv[1]) + "/" + seed.name + ".lod";
        std::FILE* out = std::fopen(path.c_str(), "wb");
        bool ok = out && std::fwrite(seed.bytes.data(), 1, seed.bytes.size(), out) == seed.bytes.size();
        if (out) ok = std::fclose(out) == 0 && ok;
        if (!ok) {
            std::fprintf(stderr, "fuzz_make_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
