// Writes the benchmark models into a directory:
//   max.lod      600 geometry nodes of 8000 vertices and 3000 triangles
//   max_2.lod, max_4.lod, max_8.lod   the same shape at 1/2, 1/4, 1/8
//   chain.lod    one SubTree with a chain of a million point primitives
//   deep.lod     containers nested to the loader's depth limit
//
// Usage: make_models DIR [NAME...]   writes the named models (all by default)
//        make_models --self-check    compares the chain writer with the builder
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "chain_writer.h"
#include "model_shapes.h"

namespace {

using bench::ChainShape;

// buildLod(Node) would copy the whole tree into a chain first.
std::vector<uint8_t> build(lodtest::Node&& root) {
    lodtest::Chain chain;
    chain.push_back(std::move(root));
    return lodtest::buildLod(chain).bytes;
}

std::vector<uint8_t> makeModel(const std::string& name) {
    if (name == "max") return build(bench::maxModel(600));
    if (name == "max_2") return build(bench::maxModel(300));
    if (name == "max_4") return build(bench::maxModel(150));
    if (name == "max_8") return build(bench::maxModel(75));
    if (name == "deep") return build(bench::deepModel());
    if (name == "chain") return bench::writeChainModel(ChainShape{});
    return {};
}

const char* const kAllModels[] = {"max_8", "max_4", "max_2", "max", "chain", "deep"};

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    ok = std::fclose(out) == 0 && ok;
    return ok;
}

// The raw chain writer must lay out exactly what the builder would.
int selfCheck() {
    int status = 0;
    for (int32_t primitives : {0, 1, 2, 1001}) {
        ChainShape shape;
        shape.primitives = primitives;
        shape.vertices = 50;
        shape.facePeriod = 7;
        if (bench::writeChainModel(shape) != bench::buildChainModel(shape)) {
            std::fprintf(stderr, "chain writer differs from the builder at %d primitives\n", primitives);
            status = 1;
        }
    }
    if (status == 0) std::printf("chain writer matches the builder\n");
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--self-check") == 0) return selfCheck();
    if (argc < 2) {
        std::fprintf(stderr, "Usage: make_models DIR [NAME...]\n       make_models --self-check\n");
        return 1;
    }
    const std::string dir = argv[1];
    std::vector<std::string> names;
    for (int i = 2; i < argc; ++i) names.push_back(argv[i]);
    if (names.empty()) names.assign(std::begin(kAllModels), std::end(kAllModels));

    int status = 0;
    for (const std::string& name : names) {
        const std::vector<uint8_t> bytes = makeModel(name);
        const std::string path = dir + "/" + name + ".lod";
        if (bytes.empty()) {
            std::fprintf(stderr, "%s: unknown model\n", name.c_str());
            status = 1;
        } else if (!writeFile(path, bytes)) {
            std::fprintf(stderr, "%s: cannot write\n", path.c_str());
            status = 1;
        } else {
            std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
        }
    }
    return status;
}
