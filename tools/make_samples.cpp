// Writes the bundled sample models:
//   transforms.lod  DOF and XDOF transforms nested two deep, in both orders
//   switches.lod    a Switch (with an empty branch), an XSwitch and a Split
//   primitives.lod  PT, CP and LP nodes over every primitive type
//   hinge.lod       a door on a hinge (DOF) with a window that a switch
//                   shows closed or open (a DOF of its own)
//
// Usage: make_samples DIR          writes the three files into DIR
//        make_samples --check DIR  exit 1 unless DIR holds exactly them
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lod_builder.h"

namespace {

using namespace lodtest;

// Rotation rows for quarter turns, as stored in a record (row by row).
constexpr Matrix kQuarterTurnAboutZ = {0, -1, 0, 1, 0, 0, 0, 0, 1};
constexpr Matrix kQuarterTurnAboutX = {1, 0, 0, 0, 0, -1, 0, 1, 0};

std::vector<Vec3> square(float size, float z) {
    return {{0, 0, z}, {size, 0, z}, {size, size, z}, {0, size, z}};
}

Node quad() { return cp(prim(2, {0, 1, 2, 3})); }

// A base plate with an arm (DOF) holding a hand (XDOF) holding a finger,
// and the other nesting order: an XDOF turret holding a DOF barrel holding
// a sight.
Node transformsModel() {
    Node finger = subTree(square(0.25f, 0), {quad()});
    Node hand = xdof(kQuarterTurnAboutX, {3, 0, 0}, square(0.5f, 0), {quad(), finger});
    Node arm = dof(kQuarterTurnAboutZ, {0, 0, 1}, {{0, 0, 0}, {3, 0, 0}, {3, 0.5f, 0}, {0, 0.5f, 0}},
                   {quad(), hand});

    Node sight = subTree(square(0.2f, 0), {quad()});
    Node barrel = dof(kQuarterTurnAboutX, {0, 1, 0}, square(1, 0), {quad(), sight});
    Node turret = xdof(kQuarterTurnAboutZ, {-2, -2, 0.5f}, square(1.5f, 0), {quad(), barrel});

    return root({{-4, -4, 0}, {4, -4, 0}, {4, 4, 0}, {-4, 4, 0}}, {quad(), arm, turret});
}

// Every present branch becomes a mesh whatever the switch state; the Split's
// two chains stay in the Root's mesh.
Node switchesModel() {
    Node lightsOff = subTree(square(1, 2), {quad()});
    Node lightsOn = subTree(square(1, 3), {quad(), cp(prim(2, {0, 1, 2}))});
    Node lightsBlink = subTree(square(1, 4), {quad()});
    Node lights = switchNode({{lightsOff}, {}, {lightsOn, lightsBlink}}, 1);

    Node flapUp = dof(kQuarterTurnAboutX, {0, 0, 1}, square(2, 0), {quad()});
    Node flaps = xswitch({{flapUp}, {cp(prim(2, {4, 5, 6}))}}, 0, 2);

    Node hull = split({cp(prim(2, {0, 1, 2, 3}))},
                      {lp(prim(2, {4, 5, 6, 7}), prim(2, {7, 6, 5, 4}))}, {0, 0, 1, 0});

    return root({{-3, -3, 0}, {3, -3, 0}, {3, 3, 0}, {-3, 3, 0}, {-3, -3, 1}, {3, -3, 1}, {3, 3, 1}, {-3, 3, 1}},
                {lights, flaps, hull});
}

// A grid of 7 x 6 vertices; primitive type t (2..26) takes cell t, as a quad
// on even types and a triangle on odd ones. Points and lines come first.
Node primitivesModel() {
    constexpr int32_t kColumns = 7;
    std::vector<Vec3> grid;
    for (int32_t row = 0; row < 6; ++row) {
        for (int32_t column = 0; column < kColumns; ++column) {
            grid.push_back({static_cast<float>(column), static_cast<float>(row), 0});
        }
    }
    Chain children;
    children.push_back(pt(prim(0, {0, 1, 2, 3})));  // points, fanned like a polygon
    children.push_back(pt(prim(1, {4, 5})));        // a line: no face
    for (int32_t type = 2; type < 27; ++type) {
        const int32_t cell = type - 2;
        const int32_t corner = (cell / 6) * kColumns + cell % 6;
        std::vector<int32_t> indices = {corner, corner + 1, corner + kColumns + 1};
        if (type % 2 == 0) indices.push_back(corner + kColumns);
        children.push_back(cp(prim(type, indices)));
    }
    children.push_back(lp(prim(2, {35, 36, 37}), prim(3, {37, 36, 35})));
    return root(grid, children);
}

// LOD axes: x forward, y right, z down. A floor, and a door panel of 1 x 2
// standing on it, hinged on its left edge (DOF 1, closed as stored). The
// panel's two sides are textured (texture 1) and carry their normals. A
// switch on the door shows its window closed (branch 0) or swung open
// about its own hinge (branch 1, DOF 2); a slot marks the handle.
Node hingeModel() {
    const std::vector<Vec3> panel = {{0, 0, 0}, {0, 1, 0}, {0, 1, -2}, {0, 0, -2}};
    Prim front = prim(7, {0, 1, 2, 3});
    front.normal = 0;
    front.textureId = 1;
    front.uv = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    Prim back = prim(7, {3, 2, 1, 0});
    back.normal = 1;
    back.textureId = 1;
    back.uv = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    Node windowClosed = subTree({{0.01f, 0.3f, -1.2f}, {0.01f, 0.7f, -1.2f}, {0.01f, 0.7f, -1.7f}, {0.01f, 0.3f, -1.7f}},
                                {lp(prim(2, {0, 1, 2, 3}), prim(2, {3, 2, 1, 0}))});
    constexpr Matrix kQuarterTurnAboutDown = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    Node windowOpen = dof(kQuarterTurnAboutDown, {0.01f, 0.3f, 0},
                          {{0, 0, -1.2f}, {0, 0.4f, -1.2f}, {0, 0.4f, -1.7f}, {0, 0, -1.7f}},
                          {lp(prim(2, {0, 1, 2, 3}), prim(2, {3, 2, 1, 0}))});
    windowOpen.dofId = 2;
    Node window = switchNode({{windowClosed}, {windowOpen}}, 1);
    Node door = dof(kIdentity, {0, -0.5f, 0}, panel, {lp(front, back), window, slot(1, kIdentity, {0.05f, 0.9f, -1})});
    door.normals = {{1, 0, 0}, {-1, 0, 0}};
    door.dofId = 1;
    door.minimum = 0;
    door.maximum = 1.5708f;
    Node top = root({{-2, -2, 0}, {2, -2, 0}, {2, 2, 0}, {-2, 2, 0}}, {cp(prim(2, {3, 2, 1, 0})), door});
    top.textures = {1};
    return top;
}

struct Sample {
    const char* fileName;
    Node (*make)();
};

const Sample kSamples[] = {
    {"transforms.lod", transformsModel},
    {"switches.lod", switchesModel},
    {"primitives.lod", primitivesModel},
    {"hinge.lod", hingeModel},
};

bool readFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return false;
    bytes.clear();
    uint8_t buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    const bool ok = std::ferror(in) == 0;
    std::fclose(in);
    return ok;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    ok = std::fclose(out) == 0 && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "Usage: make_samples [--check] DIR\n");
        return 1;
    }
    const std::string dir = argv[argc - 1];
    int status = 0;
    for (const Sample& sample : kSamples) {
        const std::string path = dir + "/" + sample.fileName;
        const std::vector<uint8_t> bytes = buildLod(sample.make()).bytes;
        if (check) {
            std::vector<uint8_t> bundled;
            if (!readFile(path, bundled) || bundled != bytes) {
                std::fprintf(stderr, "%s: differs from the generator's output (regenerate: make_samples %s)\n",
                             path.c_str(), dir.c_str());
                status = 1;
            }
        } else if (!writeFile(path, bytes)) {
            std::fprintf(stderr, "%s: cannot write\n", path.c_str());
            status = 1;
        } else {
            std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
        }
    }
    return status;
}
