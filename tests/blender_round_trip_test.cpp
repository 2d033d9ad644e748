// Through Blender and back: `lodtool export`, Blender's glTF import and
// export with Custom Properties on (tests/blender_trip.py, one Blender for
// every model), `lodtool import`, for the samples, a model of every node
// kind with textures and colours, and random trees. The model that comes back has the same
// node tree in the same order with the same record numbers, and every
// container's triangles at the same world positions with the same texture
// number and colour. Blender keeps no primitive records, so what they alone
// say (primitive kinds, polyData, which switch branch or split side a
// primitive hung in) is not compared; Blender drops a triangle that
// repeats another's vertices, so such a twin may be missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "command_runner.h"
#include "convert/tree_walk.h"
#include "lod/control_nodes.h"
#include "lod/lod_model.h"
#include "lod/primitive.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"
#include "lod_builder.h"
#include "random_lod_tree.h"
#include "out3ds/output_positions.h"
#include "scratch_dir.h"
#include "test_support.h"

namespace {

using namespace lodtest;
namespace fs = std::filesystem;

// A node of the tree with its numbers, in walk order; primitive holders
// are left out (their records are what Blender drops).
struct NodeFacts {
    int depth = 0;
    int32_t code = 0;  // -1: the start of child chain `ints[0]` of the node before
    std::vector<int64_t> ints;
    std::vector<double> floats;
};

void addMatrix(std::vector<double>& out, const mevlo::Mat3& m) {
    for (int i = 0; i < 9; ++i) out.push_back(m.fileValue(i));
}
void addVec(std::vector<double>& out, const Vec3& v) { out.insert(out.end(), {v.x, v.y, v.z}); }

NodeFacts factsOf(const mevlo::LodNode& node, int depth) {
    using namespace mevlo;
    NodeFacts f;
    f.depth = depth;
    f.code = node.type;
    if (isGeometryNodeType(node.type)) {
        const auto& c = static_cast<const SubTreeNode&>(node);
        f.ints = {c.opaqueA, c.opaqueB};
    }
    switch (node.type) {
        case NODE_ROOT: {
            const auto& r = static_cast<const RootNode&>(node);
            f.ints.push_back(r.script);
            for (int32_t i = 0; i < r.textureCount; ++i) f.ints.push_back(r.textures[i]);
            break;
        }
        case NODE_DOF: {
            const auto& d = static_cast<const DofNode&>(node);
            f.ints.push_back(d.dofId);
            addMatrix(f.floats, d.rotation);
            addVec(f.floats, d.translation);
            break;
        }
        case NODE_XDOF:
        case NODE_TRANSLATOR:
        case NODE_SCALE: {
            const auto& d = static_cast<const DofLimitsNode&>(node);
            f.ints.insert(f.ints.end(), {d.dofId, d.flags});
            f.floats.insert(f.floats.end(), {d.minimum, d.maximum, d.multiplier, d.opaqueValue});
            if (node.type == NODE_XDOF) {
                addMatrix(f.floats, static_cast<const XDofNode&>(node).rotation);
                addVec(f.floats, static_cast<const XDofNode&>(node).translation);
            } else {
                addVec(f.floats, static_cast<const TranslatorNode&>(node).vector);
            }
            if (node.type == NODE_SCALE) addVec(f.floats, static_cast<const ScaleNode&>(node).opaqueVector);
            break;
        }
        case NODE_SWITCH:
        case NODE_XSWITCH: {
            const auto& s = static_cast<const SwitchNode&>(node);
            f.ints = {s.switchId, s.branchCount};
            if (node.type == NODE_XSWITCH) f.ints.push_back(static_cast<const XSwitchNode&>(node).flags);
            break;
        }
        case NODE_SLOT: {
            const auto& s = static_cast<const SlotNode&>(node);
            f.ints = {s.slotId};
            addMatrix(f.floats, s.rotation);
            addVec(f.floats, s.position);
            break;
        }
        case NODE_SPLIT:
            for (float p : static_cast<const SplitNode&>(node).plane) f.floats.push_back(p);
            break;
        case NODE_SPECIALX: {
            const auto& s = static_cast<const SpecialNode&>(node);
            f.ints = {s.specialType};
            for (int32_t i = 0; i < s.vertices.count(); ++i) addVec(f.floats, s.vertices[i]);
            break;
        }
        case NODE_RCNODE: {
            const auto& r = static_cast<const RcNode&>(node);
            f.ints = {r.rcType};
            for (uint8_t b : r.rcData) f.ints.push_back(b);
            break;
        }
        default:
            break;
    }
    return f;
}

bool isHolder(int32_t code) { return code == mevlo::NODE_PT || code == mevlo::NODE_CP || code == mevlo::NODE_LP; }

// A child chain is told only when it holds more than primitive holders:
// one that held only those comes back absent.
void collectNodes(const mevlo::LodNode* head, int depth, std::vector<NodeFacts>& out) {
    for (const mevlo::LodNode* node = head; node; node = node->next.get()) {
        if (isHolder(node->type)) continue;
        out.push_back(factsOf(*node, depth));
        std::vector<const mevlo::LodNode*> chains;
        node->appendChildChains(chains);
        for (size_t i = 0; i < chains.size(); ++i) {
            bool told = false;
            for (const mevlo::LodNode* n = chains[i]; n && !told; n = n->next.get()) told = !isHolder(n->type);
            if (!told) continue;
            out.push_back(NodeFacts{depth + 1, -1, {static_cast<int64_t>(i)}, {}});
            collectNodes(chains[i], depth + 1, out);
        }
    }
}

struct Triangle {
    Vec3 corner[3];
    int32_t texture = -1;  // -1: untextured
    int32_t color = -1;    // -1: the colours differ from vertex to vertex
};

// Every mesh's kept triangles in the frame of the tree's top, as the walk
// that every output shares assigns them.
class TriangleSink final : public mevlo::TreeWalkSink {
public:
    std::vector<std::vector<Triangle>> meshes;

    bool openContainer(const mevlo::SubTreeNode& node, int32_t mesh) override {
        if (meshes.size() <= static_cast<size_t>(mesh)) {
            meshes.resize(static_cast<size_t>(mesh) + 1);
            containers_.resize(static_cast<size_t>(mesh) + 1);
        }
        containers_[static_cast<size_t>(mesh)] = &node;
        return true;
    }

    bool polygonFan(int32_t mesh, const mevlo::Primitive& primitive, const mevlo::LodNode&,
                    const mevlo::FanOutcome& fan) override {
        if (mevlo::isPointOrLinePrimitive(primitive)) return true;
        const int32_t flags = primitive.flags();
        Triangle t;
        if (flags & mevlo::PRIM_TEXTURE) t.texture = primitive.textureId();
        if (flags & mevlo::PRIM_COLOR) {
            t.color = primitive.colorIndex();
        } else if (flags & mevlo::PRIM_COLORS) {
            const mevlo::Int32Table colors = primitive.colorIndices();
            t.color = colors.count() > 0 ? colors[0] : -1;
            for (int32_t i = 1; i < colors.count(); ++i)
                if (colors[i] != t.color) t.color = -1;
        }
        const mevlo::SubTreeNode& container = *containers_[static_cast<size_t>(mesh)];
        for (const mevlo::FanFace& face : fan.kept) {
            const uint16_t index[3] = {face.a, face.b, face.c};
            for (int k = 0; k < 3; ++k) mevlo::produceTopFramePositions(container, index[k], 1, &t.corner[k]);
            meshes[static_cast<size_t>(mesh)].push_back(t);
        }
        return true;
    }

private:
    std::vector<const mevlo::SubTreeNode*> containers_;
};

struct ModelFacts {
    std::vector<NodeFacts> nodes;
    std::vector<std::vector<Triangle>> meshes;
    double extent = 1.0;
};

ModelFacts factsOfFile(const fs::path& path) {
    ModelFacts facts;
    const Loaded loaded = load(readBytes(path));
    collectNodes(loaded.root(), 0, facts.nodes);
    TriangleSink sink;
    mevlo::walkTree(loaded.root(), sink);
    facts.meshes = std::move(sink.meshes);
    for (const auto& mesh : facts.meshes)
        for (const Triangle& t : mesh)
            for (const Vec3& p : t.corner)
                facts.extent = std::max({facts.extent, std::fabs(double(p.x)), std::fabs(double(p.y)), std::fabs(double(p.z))});
    return facts;
}

bool near(double a, double b, double scale) { return std::fabs(a - b) <= 1e-5 * scale; }

bool samePoint(const Vec3& a, const Vec3& b, double scale) {
    return near(a.x, b.x, scale) && near(a.y, b.y, scale) && near(a.z, b.z, scale);
}

// The same corners in the same winding, from any corner on.
bool sameTriangle(const Triangle& a, const Triangle& b, double scale) {
    for (int shift = 0; shift < 3; ++shift) {
        bool all = true;
        for (int k = 0; k < 3 && all; ++k) all = samePoint(a.corner[k], b.corner[(k + shift) % 3], scale);
        if (all) return true;
    }
    return false;
}

bool sameCorners(const Triangle& a, const Triangle& b, double scale) {
    for (const Vec3& p : a.corner) {
        bool found = false;
        for (const Vec3& q : b.corner) found = found || samePoint(p, q, scale);
        if (!found) return false;
    }
    return true;
}

void expectSameNodes(const std::vector<NodeFacts>& before, const std::vector<NodeFacts>& after, const std::string& name) {
    ASSERT_EQ(before.size(), after.size()) << name << ": node count";
    for (size_t i = 0; i < before.size(); ++i) {
        const NodeFacts& a = before[i];
        const NodeFacts& b = after[i];
        EXPECT_EQ(a.depth, b.depth) << name << ": node " << i;
        EXPECT_EQ(a.code, b.code) << name << ": node " << i;
        EXPECT_EQ(a.ints, b.ints) << name << ": node " << i << " (code " << a.code << ")";
        ASSERT_EQ(a.floats.size(), b.floats.size()) << name << ": node " << i;
        double largest = 1.0;
        for (double v : a.floats) largest = std::max(largest, std::fabs(v));
        for (size_t k = 0; k < a.floats.size(); ++k)
            EXPECT_TRUE(near(a.floats[k], b.floats[k], largest))
                << name << ": node " << i << " (code " << a.code << ") number " << k << ": " << a.floats[k]
                << " became " << b.floats[k];
    }
}

void expectSameTriangles(const ModelFacts& before, const ModelFacts& after, const std::string& name) {
    ASSERT_EQ(before.meshes.size(), after.meshes.size()) << name << ": mesh count";
    const double scale = before.extent;
    for (size_t m = 0; m < before.meshes.size(); ++m) {
        const auto& original = before.meshes[m];
        const auto& back = after.meshes[m];
        std::vector<bool> used(back.size(), false);
        for (size_t i = 0; i < original.size(); ++i) {
            const Triangle& t = original[i];
            // A triangle with the same look first: two polygons may lie on
            // the same corners.
            size_t found = back.size();
            for (size_t j = 0; j < back.size(); ++j) {
                if (used[j] || !sameTriangle(t, back[j], scale)) continue;
                const bool sameLook = back[j].texture == t.texture && (t.color < 0 || back[j].color == t.color);
                if (found == back.size() || sameLook) found = j;
                if (sameLook) break;
            }
            if (found < back.size()) {
                used[found] = true;
                EXPECT_EQ(t.texture, back[found].texture) << name << ": mesh " << m << " triangle " << i;
                if (t.color >= 0) {
                    EXPECT_EQ(t.color, back[found].color) << name << ": mesh " << m << " triangle " << i;
                }
                continue;
            }
            // Blender keeps one of two triangles on the same vertices.
            bool twin = false;
            for (size_t j = 0; j < original.size() && !twin; ++j) twin = j != i && sameCorners(t, original[j], scale);
            EXPECT_TRUE(twin) << name << ": mesh " << m << " lost triangle " << i << " at (" << t.corner[0].x << ", "
                              << t.corner[0].y << ", " << t.corner[0].z << ")";
        }
        for (size_t j = 0; j < back.size(); ++j)
            EXPECT_TRUE(used[j]) << name << ": mesh " << m << " gained triangle " << j;
    }
}

Prim colored(int32_t type, std::vector<int32_t> vertices, int32_t color) {
    Prim p = prim(type, vertices);
    p.color = color;
    p.polyData = {0, 0, 1, 0};
    const auto flags = mevlo::primitiveFlagsOf(type);
    if (flags & mevlo::PRIM_COLORS) p.colors.assign(vertices.size(), color);
    if (flags & mevlo::PRIM_NORMALS) p.normals.assign(vertices.size(), 0);
    if (flags & mevlo::PRIM_TEXTURE) {
        for (size_t i = 0; i < vertices.size(); ++i)
            p.uv.push_back({static_cast<float>(i % 2), static_cast<float>(i / 2 % 2)});
    }
    return p;
}

Prim textured(int32_t type, std::vector<int32_t> vertices, int32_t texture, int32_t color) {
    Prim p = colored(type, std::move(vertices), color);
    p.textureId = texture;
    return p;
}

std::vector<Vec3> box(float x, float y, float z) {
    return {{x, y, z}, {x + 1, y, z}, {x + 1, y + 1, z}, {x, y + 1, z}, {x, y, z - 1}, {x + 1, y, z - 1}, {x + 1, y + 1, z - 1}};
}

// Every node kind and record number a user's model has, with colours and
// textures on the same and on different polygons.
Node sampleVehicle() {
    const std::vector<Vec3> normals = {{0, 0, 1}, {1, 0, 0}};
    Node lid = dof({0, -1, 0, 1, 0, 0, 0, 0, 1}, {0.5f, 1.0f, 0.0f}, box(0, 0, 0),
                   {cp(colored(4, {0, 1, 2, 3}, 12)),
                    lp(colored(2, {0, 1, 5, 4}, 4), colored(2, {4, 5, 1, 0}, 4)),
                    switchNode({{cp(colored(2, {1, 2, 6}, 7))},
                                {},
                                {subTree(box(3, 0, 0), {cp(colored(14, {0, 1, 2}, 2)), cp(colored(2, {0, 2, 3}, 0))})}},
                               3),
                    slot(2, {0, 1, 0, -1, 0, 0, 0, 0, 1}, {1.5f, -2.0f, 0.25f})});
    lid.dofId = 1;
    lid.normals = normals;
    Node stretched = dof({2, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, -3}, box(0, 2, 0), {cp(textured(7, {0, 1, 2, 3}, 3, 9))});
    stretched.dofId = 2;
    stretched.normals = normals;
    Node mirrored = dof({-1, 0, 0, 0, 1, 0, 0, 0, 1}, {4, 0, 0}, box(1, 1, 1), {cp(colored(5, {0, 1, 2}, 6))});
    mirrored.dofId = 6;
    mirrored.normals = normals;
    Node slide = translator({0, 1, 0}, box(0, 0, 2), {cp(textured(6, {0, 1, 2}, 1, 0))});
    slide.dofId = 4;
    slide.minimum = -1.5f;
    slide.maximum = 2.0f;
    slide.flags = 3;
    Node frame = xdof({1, 0, 0, 0, 0, -1, 0, 1, 0}, {0, 2, 1}, box(-2, 0, 0), {cp(colored(2, {4, 5, 6}, 11)), slide});
    frame.dofId = 5;
    frame.multiplier = 0.5f;
    Node grow = scale({1, 1, 2}, box(0, -3, 0), {cp(textured(10, {0, 1, 2, 3}, 1, 3))});
    grow.dofId = 8;
    grow.opaqueVector = {1, 2, 3};
    Node cockpit = root(box(-1, -1, -1),
                        {cp(colored(2, {0, 1, 2, 3}, 5)),
                         cp(textured(6, {4, 5, 6}, 3, 0)),
                         cp(colored(4, {0, 4, 5}, 0)),
                         lid,
                         stretched,
                         mirrored,
                         frame,
                         grow,
                         xswitch({{cp(colored(2, {2, 3, 6}, 8))}, {subTree(box(5, 5, 5), {cp(colored(2, {0, 1, 2}, 1))})}}, 2, 4),
                         split({cp(colored(2, {1, 2, 5}, 10))}, {cp(colored(2, {3, 4, 6}, 10))}, {0, 0, 1, 0.5f}),
                         litString(),
                         rcNode(7, {1, 0, 0, 0, 2, 0, 0, 0, 255, 255, 255, 255}),
                         special(2, {{1, 2, 3}, {4, 5, 6}})});
    // A primitive of several colours keeps none through Blender.
    cockpit.children.push_back(cp(colored(4, {1, 5, 6}, 0)));
    cockpit.children.back().prim.colors = {1, 2, 3};
    cockpit.textures = {1, 3};
    cockpit.script = 5;
    return cockpit;
}

// Whether Blender can hold `value` as a custom property: it keeps no list
// that mixes objects, lists, strings and numbers, and no integer beyond 32
// bits; either turns the whole property into a string.
bool blenderCanHold(const nlohmann::json& value) {
    if (value.is_number_integer()) return value.get<int64_t>() >= INT32_MIN && value.get<int64_t>() <= INT32_MAX;
    if (value.is_object()) {
        for (const auto& member : value.items())
            if (!blenderCanHold(member.value())) return false;
    }
    if (value.is_array()) {
        for (const auto& item : value) {
            const bool sameKind = (item.is_number() && value.front().is_number()) || item.type() == value.front().type();
            if (!sameKind || !blenderCanHold(item)) return false;
        }
    }
    return true;
}

Node sampleVehicle();

// Without Blender: the export's node and material extras are of kinds
// Blender keeps, and what is left once Blender's losses are made by hand
// (primitive extras and the records views gone, siblings in another order)
// still gives the same tree, numbers and triangles.
TEST(BlenderRoundTrip, WhatBlenderKeepsGivesTheTreeNumbersAndTriangles) {
    ScratchDir scratch;
    const fs::path dir = scratch.path();
    std::vector<std::string> names{"vehicle"};
    writeBytes(dir / "vehicle.lod", buildLod(sampleVehicle()).bytes);
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        names.push_back("random" + std::to_string(seed));
        writeBytes(dir / (names.back() + ".lod"), buildLod(RandomLodTree(seed).model()).bytes);
    }
    for (const std::string& name : names) {
        ASSERT_EQ(runBuiltCommand(dir, "lodtool", {"export", "-q", name + ".lod", name + ".gltf"}).status, 0);
        nlohmann::json gltf = nlohmann::json::parse(readText(dir / (name + ".gltf")));
        for (const char* kind : {"nodes", "materials"})
            for (const auto& element : gltf.value(kind, nlohmann::json::array()))
                EXPECT_TRUE(blenderCanHold(element.value("extras", nlohmann::json::object()))) << name << ": " << element.dump();
        for (auto& mesh : gltf["meshes"])
            for (auto& primitive : mesh["primitives"]) {
                const int color = primitive.value("extras", nlohmann::json::object()).value("lod", nlohmann::json::object()).value("color", 0);
                if (color != 0 && primitive.value("mode", 4) == 4) {
                    // Blender keeps a colour only in the material.
                    const int index = primitive.value("material", -1);
                    const nlohmann::json materials = gltf.value("materials", nlohmann::json::array());
                    const nlohmann::json material = index >= 0 && static_cast<size_t>(index) < materials.size()
                                                        ? materials[static_cast<size_t>(index)]
                                                        : nlohmann::json::object();
                    const nlohmann::json lod = material.value("extras", nlohmann::json::object()).value("lod", nlohmann::json::object());
                    EXPECT_EQ(lod.value("color", 0), color) << name << ": " << material.dump();
                }
                primitive.erase("extras");
            }
        for (auto& node : gltf["nodes"]) {
            if (node.contains("extras")) node["extras"]["lod"].erase("records");
            if (node.contains("children")) std::reverse(node["children"].begin(), node["children"].end());
        }
        std::reverse(gltf["scenes"][0]["nodes"].begin(), gltf["scenes"][0]["nodes"].end());
        std::ofstream(dir / (name + "_kept.gltf")) << gltf.dump();
        const CommandRun imported = runBuiltCommand(dir, "lodtool", {"import", "-q", name + "_kept.gltf", name + "_back.lod"});
        ASSERT_EQ(imported.status, 0) << name << ": " << imported.err;
        const ModelFacts before = factsOfFile(dir / (name + ".lod"));
        const ModelFacts after = factsOfFile(dir / (name + "_back.lod"));
        expectSameNodes(before.nodes, after.nodes, name);
        expectSameTriangles(before, after, name);
    }
}

std::string blenderProgram() {
    const std::string configured = MEVLO_BLENDER;
    return !configured.empty() && fs::exists(configured) ? configured : std::string();
}

TEST(BlenderRoundTrip, ModelsKeepTreeNumbersAndTrianglesAndAnOpenedDoorComesBack) {
    const std::string blender = blenderProgram();
    if (blender.empty()) GTEST_SKIP() << "Blender is not installed (Debian: blender); the trip through it is not tested";
    ScratchDir scratch;
    const fs::path dir = scratch.path();
    std::vector<std::string> names;
    for (const char* sample : {"hinge", "primitives", "switches", "transforms"}) {
        fs::copy_file(fs::path(MEVLO_SOURCE_DIR) / "samples" / (std::string(sample) + ".lod"), dir / (std::string(sample) + ".lod"));
        names.push_back(sample);
    }
    writeBytes(dir / "vehicle.lod", buildLod(sampleVehicle()).bytes);
    names.push_back("vehicle");
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        const std::string name = "random" + std::to_string(seed);
        writeBytes(dir / (name + ".lod"), buildLod(RandomLodTree(seed).model()).bytes);
        names.push_back(name);
    }

    std::vector<std::string> tripArguments{"--background", "--factory-startup", "--python-exit-code", "1", "--python",
                                           std::string(MEVLO_SOURCE_DIR) + "/tests/blender_trip.py", "--"};
    for (const std::string& name : names) {
        const CommandRun exported = runBuiltCommand(dir, "lodtool", {"export", "-q", name + ".lod", name + ".glb"});
        ASSERT_EQ(exported.status, 0) << name << ": " << exported.err;
        tripArguments.insert(tripArguments.end(), {(dir / (name + ".glb")).string(), (dir / (name + "_blender.glb")).string()});
    }
    // The walk-through: open the door (DOF 1 of the hinge) by 30 degrees.
    tripArguments.insert(tripArguments.end(), {"--rotate", "DOF 1", "30", (dir / "hinge.glb").string(),
                                               (dir / "door_open.glb").string()});
    std::vector<std::string> argv{blender};
    argv.insert(argv.end(), tripArguments.begin(), tripArguments.end());
    const testprocess::ProcessResult ran = testprocess::runProcess(argv, dir.string(), dir.string(), kCommandTimeoutSeconds, "");
    ASSERT_TRUE(ran.exited && ran.exitStatus == 0) << "Blender failed:\n" << ran.stdoutText << ran.stderrText;

    for (const std::string& name : names) {
        const CommandRun imported =
            runBuiltCommand(dir, "lodtool", {"import", "-q", name + "_blender.glb", name + "_back.lod"});
        ASSERT_EQ(imported.status, 0) << name << ": " << imported.err;
        const ModelFacts before = factsOfFile(dir / (name + ".lod"));
        const ModelFacts after = factsOfFile(dir / (name + "_back.lod"));
        expectSameNodes(before.nodes, after.nodes, name);
        expectSameTriangles(before, after, name);
    }

    // Blender's Z is the LOD model's -z: the door turned by 30 degrees about
    // its own Z has R Rz(-30) as its matrix, and nothing else changed.
    const CommandRun imported = runBuiltCommand(dir, "lodtool", {"import", "-q", "door_open.glb", "door_open.lod"});
    ASSERT_EQ(imported.status, 0) << imported.err;
    ModelFacts closed = factsOfFile(dir / "hinge.lod");
    const ModelFacts open = factsOfFile(dir / "door_open.lod");
    auto door = std::find_if(closed.nodes.begin(), closed.nodes.end(),
                             [](const NodeFacts& n) { return n.code == mevlo::NODE_DOF && n.ints.back() == 1; });
    ASSERT_NE(door, closed.nodes.end());
    const double c = std::sqrt(3.0) / 2, s = 0.5;
    const double turn[9] = {c, s, 0, -s, c, 0, 0, 0, 1};
    double turned[9];
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            turned[3 * row + col] = 0;
            for (int k = 0; k < 3; ++k) turned[3 * row + col] += door->floats[3 * row + k] * turn[3 * k + col];
        }
    std::copy(turned, turned + 9, door->floats.begin());
    expectSameNodes(closed.nodes, open.nodes, "door");
}

}  // namespace
