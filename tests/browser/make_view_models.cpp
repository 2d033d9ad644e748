// Writes the models the browser test of `lodtool view` opens besides the
// samples:
//   twin_switches.lod  two Switch nodes of number 3 (the selector of the
//                      number drives both), an XSwitch of number 5, and
//                      point and line primitives
//   no_geometry.lod    a Root with a slot and nothing to draw
//
// Usage: make_view_models DIR
#include <cstdio>
#include <string>
#include <vector>

#include "lod_builder.h"

namespace {

using namespace lodtest;

std::vector<Vec3> square(float x, float y, float size, float z) {
    return {{x, y, z}, {x + size, y, z}, {x + size, y + size, z}, {x, y + size, z}};
}

// A square of a textured primitive type, coloured by its texture number.
Node quad(int32_t texture) {
    Prim face = prim(7, {0, 1, 2, 3});
    face.textureId = texture;
    return cp(face);
}

// A switch of number 3 at (x, y), above the floor (z is down): branch 0 a
// square, branch 1 a smaller one of another texture, higher up.
Node twinSwitch(float x, float y) {
    Node closed = subTree(square(x, y, 1, -0.3f), {quad(4)});
    Node open = subTree({{x, y, -1}, {x + 0.5f, y, -1}, {x + 0.5f, y + 0.5f, -1}, {x, y + 0.5f, -1}}, {quad(5)});
    return switchNode({{closed}, {open}}, 3);
}

Node twinSwitchesModel() {
    Node left = twinSwitch(-2, -2);
    Node right = twinSwitch(1, 1);
    Node flag = subTree(square(-1, 1, 0.5f, -0.5f), {quad(6)});
    Node extended = xswitch({{flag}, {}}, 0, 5);
    Node marks = subTree({{-2, 2, -0.2f}, {-1.5f, 2, -0.2f}, {-1, 2, -0.2f}, {2, -2, -0.5f}, {2, -1, -0.5f}},
                         {pt(prim(0, {0, 1, 2})), pt(prim(1, {3, 4}))});
    return root({{-3, -3, 0}, {3, -3, 0}, {3, 3, 0}, {-3, 3, 0}}, {quad(1), left, right, extended, marks});
}

Node noGeometryModel() { return root({}, {slot(7)}); }

bool write(const std::string& path, const Node& model) {
    const std::vector<uint8_t> bytes = buildLod(model).bytes;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make_view_models DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    if (!write(dir + "/twin_switches.lod", twinSwitchesModel()) || !write(dir + "/no_geometry.lod", noGeometryModel())) {
        std::fprintf(stderr, "make_view_models: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
