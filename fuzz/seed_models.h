// The seed corpus: small sound LOD models, made with the test builder, that
// between them hold every node type and every primitive type. A fuzzer
// mutating them reaches every reader, converter, listing and serializer
// path far sooner than one starting from nothing.
//
// Header-only so that the seed writer (fuzz_make_seeds) and the replay test
// share one catalogue without another library.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "lod_builder.h"

namespace mevlofuzz {

struct SeedModel {
    std::string name;
    std::vector<uint8_t> bytes;
};

inline std::vector<SeedModel> seedModels() {
    using namespace lodtest;
    const std::vector<Vec3> quad = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const std::vector<Vec3> up = {{0, 0, 1}, {0, 0, 1}};
    const Matrix turn = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    auto face = [] { return cp(prim(2, {0, 1, 2, 3})); };

    std::vector<SeedModel> seeds;
    auto add = [&seeds](std::string name, const Node& top) {
        seeds.push_back(SeedModel{std::move(name), buildLod(top).bytes});
    };

    // One seed per node type, each under a Root with a small vertex table.
    add("node_subtree", root(quad, {subTree(quad, {face()})}));
    Node withNormals = subTree(quad, {face()});
    withNormals.normals = up;
    add("node_subtree_normals", root(quad, {withNormals}));
    Node textured = root(quad, {face()});
    textured.textures = {3, 7};
    textured.script = 5;
    add("node_root_textures", textured);
    add("node_dof", root(quad, {dof(turn, {1, 2, 3}, quad, {face()})}));
    add("node_xdof", root(quad, {xdof(turn, {1, 2, 3}, quad, {face()})}));
    add("node_translator", root(quad, {translator({1, 0, 0}, quad, {face()})}));
    add("node_scale", root(quad, {scale({2, 2, 2}, quad, {face()})}));
    add("node_slot", root(quad, {slot(4, turn, {1, 1, 1}), face()}));
    add("node_switch", root(quad, {switchNode({{subTree(quad, {face()})}, {}, {face()}}, 2)}));
    add("node_xswitch", root(quad, {xswitch({{dof(turn, {}, quad, {face()})}, {face()}}, 1, 3)}));
    add("node_split", root(quad, {split({face()}, {lp(prim(2, {0, 1, 2}), prim(2, {2, 1, 0}))}, {0, 0, 1, 0})}));
    add("node_special", root(quad, {special(2, quad, {face()})}));
    add("node_litstring", root(quad, {litString(), face()}));
    std::array<uint8_t, 32> rcData{};
    for (size_t i = 0; i < rcData.size(); ++i) rcData[i] = static_cast<uint8_t>(i * 7 + 1);
    add("node_rcnode", root(quad, {rcNode(3, rcData), face()}));
    add("node_pt", root(quad, {pt(prim(0, {0, 1, 2})), pt(prim(1, {2, 3}))}));
    add("node_lp", root(quad, {lp(prim(2, {0, 1, 2, 3}), prim(3, {3, 2, 1}))}));

    // One seed per primitive type, in a CP (the type decides which blocks
    // the record carries).
    for (int32_t type = 0; type < 27; ++type) {
        add("prim_type_" + std::to_string(type), root(quad, {cp(prim(type, {0, 1, 2, 3}))}));
    }

    // Every node type in one tree, nested, with sibling chains.
    Node everything = root(
        quad, {subTree(quad, {face(), dof(turn, {0, 0, 1}, quad, {xdof(turn, {1, 0, 0}, quad, {face()})})}),
               switchNode({{translator({1, 1, 1}, quad, {face()}), scale({1, 2, 3}, quad, {face()})}, {}}),
               xswitch({{special(1, quad, {face()})}}, 2), split({slot(1)}, {rcNode(5), litString()}),
               pt(prim(0, {0, 1})), lp(prim(4, {0, 1, 2}), prim(5, {2, 1, 0})), face()});
    add("every_node_type", everything);
    return seeds;
}

}  // namespace mevlofuzz
