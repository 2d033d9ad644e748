// gltf_validation_corpus DIR: writes the models the glTF validator test
// checks and exports each of them into DIR with lodtool's export command:
// the bundled samples, the fuzz seeds, edge cases (empty trees, bad
// numbers, large containers, every matrix kind) and a few dozen random
// trees. Every export must succeed; the validator then reads DIR.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "driver/commands/commands.h"
#include "fuzz/seed_models.h"
#include "lod_builder.h"

using namespace lodtest;

namespace {

// Deterministic on every platform: raw 32-bit draws, no distributions.
class Draw {
public:
    explicit Draw(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int32_t below(int32_t n) { return static_cast<int32_t>(next() % static_cast<uint32_t>(n)); }
    float real(float lo, float hi) { return lo + (hi - lo) * static_cast<float>(next() % 10001) / 10000.0f; }

private:
    uint32_t state_;
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();

Matrix someMatrix(Draw& draw) {
    switch (draw.below(6)) {
        case 0:
            return kIdentity;
        case 1: {  // a rotation about z
            const float a = draw.real(-3.0f, 3.0f);
            return {std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a), 0, 0, 0, 1};
        }
        case 2:
            return {1, 0.5f, 0, 0, 1, 0, 0, 0, 1};  // shear
        case 3:
            return {-1, 0, 0, 0, 1, 0, 0, 0, 1};  // reflection
        case 4:
            return {1, 0, 0, 0, 0, 0, 0, 0, 2};  // singular, scaled
        default: {
            Matrix m;
            for (float& v : m) v = draw.real(-2.0f, 2.0f);
            return m;
        }
    }
}

std::vector<Vec3> someVertices(Draw& draw, int32_t n) {
    std::vector<Vec3> vertices;
    for (int32_t i = 0; i < n; ++i) vertices.push_back({draw.real(-5, 5), draw.real(-5, 5), draw.real(-5, 5)});
    return vertices;
}

Prim somePrim(Draw& draw, int32_t vertexCount) {
    const int32_t type = draw.below(10) == 0 ? 27 + draw.below(5) : draw.below(27);
    const int32_t n = 1 + draw.below(7);
    std::vector<int32_t> indices;
    for (int32_t i = 0; i < n; ++i) {
        // Now and then an index past the table.
        indices.push_back(draw.below(12) == 0 ? vertexCount + draw.below(3) : draw.below(vertexCount > 0 ? vertexCount : 1));
    }
    Prim p = prim(type, indices);
    p.textureId = draw.below(3);
    p.normal = draw.below(4);
    p.color = draw.below(2);
    for (auto& uv : p.uv) uv = {draw.real(0, 1), draw.real(0, 1)};
    return p;
}

Chain someChain(Draw& draw, int32_t depth, int32_t vertexCount);

Node someNode(Draw& draw, int32_t depth, int32_t vertexCount) {
    const int32_t pick = depth <= 0 ? 9 + draw.below(3) : draw.below(12);
    const int32_t ownVertices = 3 + draw.below(6);
    switch (pick) {
        case 0:
            return subTree(someVertices(draw, ownVertices), someChain(draw, depth - 1, ownVertices));
        case 1:
        case 2: {
            Vec3 t{draw.real(-3, 3), draw.real(-3, 3), draw.real(-3, 3)};
            return dof(someMatrix(draw), t, someVertices(draw, ownVertices), someChain(draw, depth - 1, ownVertices));
        }
        case 3: {
            Vec3 t{draw.real(-3, 3), draw.real(-3, 3), draw.real(-3, 3)};
            return xdof(someMatrix(draw), t, someVertices(draw, ownVertices), someChain(draw, depth - 1, ownVertices));
        }
        case 4:
            return translator({1, 2, 3}, someVertices(draw, ownVertices), someChain(draw, depth - 1, ownVertices));
        case 5:
            return scale({2, 2, 2}, someVertices(draw, ownVertices), someChain(draw, depth - 1, ownVertices));
        case 6: {
            std::vector<Chain> branches;
            for (int32_t b = draw.below(4); b > 0; --b) branches.push_back(someChain(draw, depth - 1, vertexCount));
            return draw.below(2) ? switchNode(branches, draw.below(9)) : xswitch(branches, 1, draw.below(9));
        }
        case 7:
            return split(someChain(draw, depth - 1, vertexCount), someChain(draw, depth - 1, vertexCount));
        case 8:
            return slot(draw.below(5), someMatrix(draw), {draw.real(-1, 1), 0, 1});
        case 9:
            return cp(somePrim(draw, vertexCount));
        case 10:
            return pt(somePrim(draw, vertexCount));
        default:
            return lp(somePrim(draw, vertexCount), somePrim(draw, vertexCount));
    }
}

Chain someChain(Draw& draw, int32_t depth, int32_t vertexCount) {
    Chain chain;
    for (int32_t n = draw.below(4); n > 0; --n) chain.push_back(someNode(draw, depth, vertexCount));
    return chain;
}

Node randomTree(uint32_t seed) {
    Draw draw(seed);
    const int32_t n = 4 + draw.below(8);
    Node top = root(someVertices(draw, n), someChain(draw, 3, n));
    top.normals = someVertices(draw, 3);
    top.normals.push_back({0, 0, 0});  // a zero normal: the face's own is used
    top.textures = {0, 1, 2};
    return top;
}

struct Model {
    std::string name;
    std::vector<uint8_t> bytes;
    std::vector<std::string> options;
};

std::vector<Model> models(const std::string& sourceDir) {
    std::vector<Model> out;
    for (const char* sample : {"transforms", "switches", "primitives", "hinge"}) {
        std::ifstream in(sourceDir + "/samples/" + sample + ".lod", std::ios::binary);
        std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!bytes.empty()) out.push_back({std::string("sample_") + sample, bytes, {}});
    }
    for (const auto& seed : mevlofuzz::seedModels()) out.push_back({"seed_" + seed.name, seed.bytes, {}});

    const std::vector<Vec3> tri = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {kNaN, 0, 0}};
    out.push_back({"empty_file", {}, {}});
    out.push_back({"root_without_geometry", buildLod(root({}, {slot(1), switchNode({{}, {}})})).bytes, {}});
    out.push_back({"bad_numbers",
                   buildLod(root(tri, {cp(prim(2, {0, 1, 2, 3})), pt(prim(0, {0, 3, 1})), pt(prim(1, {0, 3, 1, 2})),
                                       dof({kNaN, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}, tri, {cp(prim(2, {0, 1, 2}))})}))
                       .bytes,
                   {}});
    Prim textured = prim(9, {0, 1, 2});
    textured.uv = {{0, 0}, {kNaN, 1}, {1, 1}};
    out.push_back({"textured_images", buildLod(root(tri, {cp(textured), cp(prim(20, {2, 1, 0}))})).bytes,
                   {"--textures", "textures/{n} image.png", "--no-flip-v", "--scale", "0.5"}});

    // A container past the 16-bit index range, and one at its edge.
    for (int32_t size : {65535, 70000}) {
        std::vector<Vec3> many;
        std::vector<int32_t> fan;
        for (int32_t i = 0; i < size; ++i) {
            many.push_back({static_cast<float>(i % 300), static_cast<float>(i / 300), 0});
            fan.push_back(size - 1 - i);
        }
        out.push_back({"large_container_" + std::to_string(size), buildLod(root(many, {cp(prim(2, fan))})).bytes, {}});
    }
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        out.push_back({"random_" + std::to_string(seed), buildLod(randomTree(seed)).bytes, {}});
    }
    return out;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

int exportTo(const std::string& lodPath, const std::string& outPath, const std::vector<std::string>& options) {
    std::vector<std::string> args = options;
    args.push_back("-q");
    args.push_back(lodPath);
    args.push_back(outPath);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    return mevlo::runExportCommand(static_cast<int>(argv.size()), argv.data());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("Usage: gltf_validation_corpus SOURCE_DIR OUT_DIR\n", stderr);
        return 1;
    }
    const std::string dir = argv[2];
    // The image the textured case names, a 1x1 PNG, so the validator can
    // resolve it.
    const std::vector<uint8_t> png = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00,
        0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01,
        0x0D, 0x0A, 0x2D, 0xB4, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    std::filesystem::create_directories(dir + "/textures");
    if (!writeFile(dir + "/textures/0 image.png", png)) return 1;
    int status = 0;
    int count = 0;
    for (const Model& model : models(argv[1])) {
        const std::string lodPath = dir + "/" + model.name + ".lod";
        if (!writeFile(lodPath, model.bytes)) return 1;
        // Every model as GLB, every third also as .gltf with its .bin.
        const bool alsoJson = count++ % 3 == 0 || !model.options.empty();
        if (exportTo(lodPath, dir + "/" + model.name + ".glb", model.options) != 0) status = 1;
        if (alsoJson && exportTo(lodPath, dir + "/" + model.name + "_json.gltf", model.options) != 0) status = 1;
    }
    std::fflush(stdout);
    return status;
}
