// The glTF reader on files made here: what only it can get wrong (byte
// strides, normalized and sparse accessors, index widths, the containers
// and URIs) and a one-line refusal for every kind of broken file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ingltf/gltf_element.h"
#include "ingltf/gltf_json.h"
#include "ingltf/gltf_scene.h"
#include "ingltf/primitive_topology.h"
#include "scratch_dir.h"

namespace {

using json = nlohmann::json;
using namespace mevlo;

// A glTF document and its one buffer, built up view by view.
struct TestGltf {
    json doc = {{"asset", {{"version", "2.0"}}}};
    std::vector<uint8_t> bin;

    template <typename T>
    int view(const std::vector<T>& values, int stride = 0) {
        while (bin.size() % 4 != 0) bin.push_back(0);
        const size_t offset = bin.size();
        bin.resize(offset + values.size() * sizeof(T));
        if (!values.empty()) std::memcpy(bin.data() + offset, values.data(), values.size() * sizeof(T));
        json v = {{"buffer", 0}, {"byteOffset", offset}, {"byteLength", values.size() * sizeof(T)}};
        if (stride != 0) v["byteStride"] = stride;
        doc["bufferViews"].push_back(v);
        return static_cast<int>(doc["bufferViews"].size()) - 1;
    }
    int accessor(int view, int componentType, int count, const char* type, json extra = json::object()) {
        json a = {{"bufferView", view}, {"componentType", componentType}, {"count", count}, {"type", type}};
        a.update(extra);
        doc["accessors"].push_back(a);
        return static_cast<int>(doc["accessors"].size()) - 1;
    }
    // One node showing one mesh of the given primitives.
    void meshOf(const json& primitives) {
        doc["meshes"] = json::array({{{"primitives", primitives}}});
        doc["nodes"] = json::array({{{"mesh", 0}}});
        doc["scenes"] = json::array({{{"nodes", {0}}}});
    }
    // editText, when given, changes the JSON text (for what a json value
    // cannot hold, such as a key given twice).
    std::vector<uint8_t> glb(const std::function<void(std::string&)>& editText = nullptr) {
        json d = doc;
        if (!bin.empty()) d["buffers"] = json::array({{{"byteLength", bin.size()}}});
        std::string text = d.dump();
        if (editText) editText(text);
        while (text.size() % 4 != 0) text += ' ';
        std::vector<uint8_t> padded = bin;
        while (padded.size() % 4 != 0) padded.push_back(0);
        std::vector<uint8_t> out;
        const auto u32 = [&out](uint32_t v) {
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
        };
        u32(0x46546C67);
        u32(2);
        u32(static_cast<uint32_t>(12 + 8 + text.size() + (padded.empty() ? 0 : 8 + padded.size())));
        u32(static_cast<uint32_t>(text.size()));
        u32(0x4E4F534A);
        out.insert(out.end(), text.begin(), text.end());
        if (!padded.empty()) {
            u32(static_cast<uint32_t>(padded.size()));
            u32(0x004E4942);
            out.insert(out.end(), padded.begin(), padded.end());
        }
        return out;
    }
    // The document as .gltf text, its buffer named by uri.
    std::string gltf(const std::string& uri) const {
        json d = doc;
        if (!bin.empty()) d["buffers"] = json::array({{{"byteLength", bin.size()}, {"uri", uri}}});
        return d.dump();
    }
};

bool readBytes(const std::vector<uint8_t>& bytes, GltfScene& scene, std::string& error) {
    return readGltfBytes(bytes.data(), bytes.size(), "", scene, error);
}

std::vector<uint8_t> bytesOf(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<float> valuesOf(const GltfArray<float>& a) { return std::vector<float>(a.begin(), a.end()); }
std::vector<uint32_t> valuesOf(const GltfIndices& a) { return std::vector<uint32_t>(a.begin(), a.end()); }

// Three vertices interleaved with a 16-byte stride (position, then 4 bytes
// of something else), normals as normalized bytes, texture coordinates as
// normalized shorts, a sparse substitution on the positions, byte indices.
TestGltf packedTriangle() {
    TestGltf g;
    std::vector<float> interleaved = {0, 0, 0, 99, 1, 0, 0, 99, 0, 1, 0, 99};
    const int positions = g.view(interleaved, 16);
    const int normals = g.view(std::vector<int8_t>{0, 0, 127, 0, 0, 0, -128, 0, 0, 0, -127, 0});
    const int uvs = g.view(std::vector<uint16_t>{0, 65535, 32768, 0, 65535, 65535});
    const int sparseIndex = g.view(std::vector<uint16_t>{2, 0});
    const int sparseValue = g.view(std::vector<float>{0, 2, 5});
    const int indices = g.view(std::vector<uint8_t>{0, 1, 2, 0});
    g.accessor(positions, 5126, 3, "VEC3",
               {{"sparse", {{"count", 1}, {"indices", {{"bufferView", sparseIndex}, {"componentType", 5123}}},
                            {"values", {{"bufferView", sparseValue}}}}}});
    // Normals: VEC3 bytes padded to 4 per element.
    g.doc["bufferViews"][normals]["byteStride"] = 4;
    g.accessor(normals, 5120, 3, "VEC3", {{"normalized", true}});
    g.accessor(uvs, 5123, 3, "VEC2", {{"normalized", true}});
    g.accessor(indices, 5121, 3, "SCALAR");
    g.meshOf({{{"attributes", {{"POSITION", 0}, {"NORMAL", 1}, {"TEXCOORD_0", 2}}}, {"indices", 3}}});
    return g;
}

TEST(GltfReader, DecodesStridesNormalizedComponentsSparseValuesAndByteIndices) {
    lodtest::ScratchDir dir;
    TestGltf g = packedTriangle();
    lodtest::writeBytes(dir / "packed.glb", g.glb());
    // From memory every accessor is decoded; from a mapped file tight float
    // accessors are viewed in place. Both must read the same values.
    GltfScene fromFile;
    GltfScene fromBytes;
    std::string error;
    ASSERT_TRUE(readGltfFile((dir / "packed.glb").string(), fromFile, error)) << error;
    ASSERT_TRUE(readBytes(g.glb(), fromBytes, error)) << error;
    for (const GltfScene* scene : {&fromFile, &fromBytes}) {
        ASSERT_EQ(scene->meshes.size(), 1u);
        const GltfScenePrimitive& p = scene->meshes[0].primitives[0];
        EXPECT_EQ(valuesOf(p.positions), (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 2, 5}));
        EXPECT_EQ(valuesOf(p.normals), (std::vector<float>{0, 0, 1, 0, 0, -1, 0, 0, -1}));
        EXPECT_EQ(valuesOf(p.texCoords), (std::vector<float>{0, 1, 32768 / 65535.0f, 0, 1, 1}));
        EXPECT_EQ(valuesOf(p.indices), (std::vector<uint32_t>{0, 1, 2}));
        EXPECT_EQ(p.mode, GltfMode::Triangles);
        EXPECT_EQ(p.material, -1);
    }
}

TEST(GltfReader, IndexWidthsAndSharedAccessorsAndPrimitivesWithoutIndices) {
    lodtest::ScratchDir dir;
    TestGltf g;
    const int positions = g.view(std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    const int wide = g.view(std::vector<uint32_t>{0, 1, 2, 0, 2, 3});
    const int narrow = g.view(std::vector<uint16_t>{3, 2, 1});
    // Indices are read where they lie, at any offset: 32-bit ones at an odd
    // address, 16-bit ones 4 bytes apart (decoded).
    const int odd = g.view(std::vector<uint8_t>{9, 3, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0});
    const int strided = g.view(std::vector<uint16_t>{1, 9, 3, 9, 2, 9}, 4);
    g.accessor(positions, 5126, 4, "VEC3");
    g.accessor(wide, 5125, 6, "SCALAR");
    g.accessor(narrow, 5123, 3, "SCALAR");
    g.accessor(odd, 5125, 3, "SCALAR", {{"byteOffset", 1}});
    g.accessor(strided, 5123, 3, "SCALAR");
    g.meshOf({{{"attributes", {{"POSITION", 0}}}, {"indices", 1}},
              {{"attributes", {{"POSITION", 0}}}, {"indices", 2}, {"mode", 1}},
              {{"attributes", {{"POSITION", 0}}}, {"mode", 0}},
              {{"attributes", {{"POSITION", 0}}}, {"indices", 3}},
              {{"attributes", {{"POSITION", 0}}}, {"indices", 4}}});
    lodtest::writeBytes(dir / "shared.glb", g.glb());
    GltfScene scene;
    std::string error;
    ASSERT_TRUE(readGltfFile((dir / "shared.glb").string(), scene, error)) << error;
    const auto& primitives = scene.meshes[0].primitives;
    ASSERT_EQ(primitives.size(), 5u);
    EXPECT_EQ(valuesOf(primitives[0].indices), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(valuesOf(primitives[1].indices), (std::vector<uint32_t>{3, 2, 1}));
    EXPECT_EQ(valuesOf(primitives[2].indices), (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(valuesOf(primitives[3].indices), (std::vector<uint32_t>{3, 1, 2}));
    EXPECT_EQ(valuesOf(primitives[4].indices), (std::vector<uint32_t>{1, 3, 2}));
    EXPECT_EQ(primitives[1].mode, GltfMode::Lines);
    // One accessor, one array: a primitive does not get a copy of its own.
    EXPECT_EQ(primitives[0].positions.data(), primitives[1].positions.data());
    EXPECT_EQ(primitives[0].positions.data(), primitives[2].positions.data());
    EXPECT_EQ(valuesOf(primitives[2].positions), (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}));
}

TEST(GltfReader, GltfBuffersFromAFileBesideItOrADataUri) {
    lodtest::ScratchDir dir;
    TestGltf g = packedTriangle();
    std::filesystem::create_directories(dir / "model");
    lodtest::writeBytes(dir / "model" / "my data.bin", g.bin);
    lodtest::writeBytes(dir / "model" / "a.gltf", bytesOf(g.gltf("my%20data.bin")));
    // The same buffer, base64 (its length is not a multiple of three, so
    // the padding is exercised).
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string base64;
    for (size_t i = 0; i < g.bin.size(); i += 3) {
        uint32_t v = static_cast<uint32_t>(g.bin[i]) << 16;
        if (i + 1 < g.bin.size()) v |= static_cast<uint32_t>(g.bin[i + 1]) << 8;
        if (i + 2 < g.bin.size()) v |= g.bin[i + 2];
        base64 += kAlphabet[(v >> 18) & 63];
        base64 += kAlphabet[(v >> 12) & 63];
        base64 += i + 1 < g.bin.size() ? kAlphabet[(v >> 6) & 63] : '=';
        base64 += i + 2 < g.bin.size() ? kAlphabet[v & 63] : '=';
    }
    ASSERT_NE(g.bin.size() % 3, 0u);
    lodtest::writeBytes(dir / "b.gltf", bytesOf(g.gltf("data:application/octet-stream;base64," + base64)));
    for (const char* name : {"model/a.gltf", "b.gltf"}) {
        SCOPED_TRACE(name);
        GltfScene scene;
        std::string error;
        ASSERT_TRUE(readGltfFile((dir / name).string(), scene, error)) << error;
        EXPECT_EQ(valuesOf(scene.meshes[0].primitives[0].positions), (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 2, 5}));
    }
}

TEST(GltfReader, NodeTransformsMeshSharingAndTheDefaultScenesRoots) {
    TestGltf g;
    const int positions = g.view(std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0});
    g.accessor(positions, 5126, 3, "VEC3");
    g.doc["meshes"] = json::array({{{"primitives", {{{"attributes", {{"POSITION", 0}}}}}}}});
    const double h = std::sqrt(0.5);
    g.doc["nodes"] = json::array({
        {{"name", "a"}, {"mesh", 0}, {"children", {2}}},
        {{"name", "b"}, {"mesh", 0}, {"translation", {1, 2, 3}}, {"rotation", {0, 0, h, h}}, {"scale", {2, 2, 2}}},
        {{"name", "c"}, {"matrix", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 7, 8, 9, 1}}},
    });
    g.doc["scenes"] = json::array({{{"nodes", {0}}}, {{"nodes", {1, 0}}}});
    g.doc["scene"] = 1;
    GltfScene scene;
    std::string error;
    ASSERT_TRUE(readBytes(g.glb(), scene, error)) << error;
    EXPECT_EQ(scene.roots, (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(scene.nodes[0].mesh, 0);
    EXPECT_EQ(scene.nodes[1].mesh, 0);
    EXPECT_EQ(scene.nodes[0].children, (std::vector<int32_t>{2}));
    // 90 degrees about Z, scaled by 2, then moved: x goes to 2y.
    const std::array<double, 16> expected = {0, 2, 0, 0, -2, 0, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1};
    for (size_t i = 0; i < 16; ++i) EXPECT_NEAR(scene.nodes[1].matrix[i], expected[i], 1e-12) << i;
    EXPECT_FALSE(scene.nodes[1].hasMatrix);
    EXPECT_TRUE(scene.nodes[2].hasMatrix);
    EXPECT_EQ(scene.nodes[2].matrix[12], 7);
    EXPECT_EQ(scene.nodes[2].name, "c");
}

TEST(GltfReader, WhatTheImportLeavesOutIsNamedOnce) {
    TestGltf g;
    const int positions = g.view(std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0});
    g.accessor(positions, 5126, 3, "VEC3");
    g.meshOf({{{"attributes", {{"POSITION", 0}}}, {"targets", {{{"POSITION", 0}}}}}});
    g.doc["nodes"][0]["camera"] = 0;
    g.doc["cameras"] = {{{"type", "perspective"}}};
    g.doc["animations"] = {{{"channels", json::array()}}};
    g.doc["extensions"] = {{"KHR_lights_punctual", {{"lights", json::array()}}}};
    g.doc["extensionsUsed"] = {"KHR_lights_punctual", "KHR_draco_mesh_compression"};
    GltfScene scene;
    std::string error;
    ASSERT_TRUE(readBytes(g.glb(), scene, error)) << error;
    EXPECT_EQ(scene.ignored, (std::vector<std::string>{"cameras", "animations", "lights", "morph targets"}));
}

TEST(GltfReader, BrokenFilesAreRefusedWithOneLine) {
    lodtest::ScratchDir dir;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* expected;
    };
    std::vector<Case> cases;
    const auto broken = [&cases](const char* what, const char* expected, auto change) {
        TestGltf g = packedTriangle();
        change(g);
        cases.push_back({what, g.glb(), expected});
    };
    broken("index out of range", "index 3 out of range (3 vertices)",
           [](TestGltf& g) { g.bin[g.doc["bufferViews"][5]["byteOffset"].get<size_t>() + 2] = 3; });
    broken("node loop", "lies on a loop", [](TestGltf& g) {
        g.doc["nodes"].push_back({{"children", {2}}});
        g.doc["nodes"].push_back({{"children", {1}}});
    });
    broken("two parents", "a child of both node 1 and node 2", [](TestGltf& g) {
        g.doc["nodes"].push_back({{"children", {3}}});
        g.doc["nodes"].push_back({{"children", {3}}});
        g.doc["nodes"].push_back(json::object());
    });
    broken("accessor past its view", "reach past bufferView", [](TestGltf& g) { g.doc["accessors"][1]["count"] = 4; });
    broken("huge count", "reach past bufferView",
           [](TestGltf& g) { g.doc["accessors"][1]["count"] = 4000000000000000000ull; });
    broken("view past its buffer", "reach past buffer 0",
           [](TestGltf& g) { g.doc["bufferViews"][0]["byteLength"] = 1000; });
    broken("non-finite position", "element 1 is not finite",
           [](TestGltf& g) { std::memcpy(g.bin.data() + 16, "\x00\x00\x80\x7f", 4); });
    broken("sparse index out of range", "substitutes element 3 of 3", [](TestGltf& g) {
        g.bin[g.doc["bufferViews"][3]["byteOffset"].get<size_t>()] = 3;
    });
    broken("wrong type", "meshes[0].primitives[0].mode: not an integer",
           [](TestGltf& g) { g.doc["meshes"][0]["primitives"][0]["mode"] = "4"; });
    broken("unknown mode", "7 is not a primitive mode", [](TestGltf& g) { g.doc["meshes"][0]["primitives"][0]["mode"] = 7; });
    broken("required extension", "requires the extension KHR_draco_mesh_compression",
           [](TestGltf& g) { g.doc["extensionsRequired"] = {"KHR_mesh_quantization", "KHR_draco_mesh_compression"}; });
    broken("glTF 1", "glTF version 1.0", [](TestGltf& g) { g.doc["asset"]["version"] = "1.0"; });
    broken("a name that would break the line", "requires the extension EXT_?evil",
           [](TestGltf& g) { g.doc["extensionsRequired"] = {"EXT_\nevil"}; });
    broken("positions taken as texture coordinates", "accessors[0]: not VEC2", [](TestGltf& g) {
        g.doc["meshes"][0]["primitives"].push_back({{"attributes", {{"POSITION", 0}, {"TEXCOORD_0", 0}}}});
    });
    broken("accessors aliasing one view", "more than four times the file's size", [](TestGltf& g) {
        // Many primitives of their own decoded accessors over the same bytes.
        const int big = g.view(std::vector<uint8_t>(3000, 0));
        json primitives = json::array();
        for (int i = 0; i < 2000; ++i) {
            g.accessor(big, 5121, 3000, "SCALAR");
            primitives.push_back({{"attributes", {{"POSITION", 0}}}, {"indices", g.doc["accessors"].size() - 1}});
        }
        g.doc["meshes"][0]["primitives"] = primitives;
    });
    TestGltf intact = packedTriangle();
    std::vector<uint8_t> truncated = intact.glb();
    truncated.resize(truncated.size() - 8);
    cases.push_back({"truncated GLB", truncated, "truncated GLB"});
    std::vector<uint8_t> longChunk = intact.glb();
    longChunk[12] = 0xFF;  // the JSON chunk's length
    longChunk[13] = 0xFF;
    cases.push_back({"chunk past the end", longChunk, "runs past the end"});
    cases.push_back({"malformed JSON", bytesOf("{\"asset\": {\"version\": \"2.0\"},"), "malformed JSON"});
    cases.push_back({"deep nesting", bytesOf(std::string(100000, '[') + std::string(100000, ']')),
                     "nested deeper than"});
    cases.push_back({"deep nesting after a fault", bytesOf("{\"a\": x" + std::string(200, '[')), "nested deeper than"});
    cases.push_back({"not an object", bytesOf("[1, 2]"), "not an object"});
    cases.push_back({"a billion zeros", bytesOf(R"({"asset":{"version":"2.0"},"meshes":[{"primitives":[{"attributes":)"
                                                R"({"POSITION":0}}]}],"accessors":[{"componentType":5126,"count":)"
                                                R"(1000000000,"type":"VEC3"}]})"),
                     "more than four times the file's size"});
    cases.push_back({"bad base64", bytesOf(intact.gltf("data:application/octet-stream;base64,AAA*")),
                     "outside base64"});
    cases.push_back({"file in memory", bytesOf(intact.gltf("a.bin")), "has no folder to look in"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GltfScene scene;
        std::string error;
        EXPECT_FALSE(readBytes(c.bytes, scene, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_TRUE(scene.meshes.empty() && scene.nodes.empty());
    }

    // Files: a missing buffer file, and URIs that leave the model's folder.
    const std::string text = intact.gltf("missing.bin");
    lodtest::writeBytes(dir / "missing.gltf", bytesOf(text));
    lodtest::writeBytes(dir / "escape.gltf", bytesOf(intact.gltf("%2E%2E/escape.bin")));
    lodtest::writeBytes(dir / "absolute.gltf", bytesOf(intact.gltf((dir / "missing.gltf").string())));
    for (const auto& [name, expected] : std::vector<std::pair<std::string, std::string>>{
             {"missing.gltf", "missing.bin: cannot open"},
             {"escape.gltf", "leaves the model's folder"},
             {"absolute.gltf", "is not a relative file reference"},
             {"nothing.glb", "cannot open"}}) {
        SCOPED_TRACE(name);
        GltfScene scene;
        std::string error;
        EXPECT_FALSE(readGltfFile((dir / name).string(), scene, error));
        EXPECT_NE(error.find(expected), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

// Accessors, buffer views and meshes holding only what glTF defines are
// kept as plain records while parsing, others packed. An unread member
// forces the packed form; whatever an element holds, both forms must read
// the same scene or fail with the same line.
TEST(GltfReader, PlainAndPackedElementsReadAlike) {
    struct Case {
        const char* what;
        std::function<void(TestGltf&)> change;
        std::function<void(std::string&)> editText;
    };
    const auto primitive = [](TestGltf& g) -> json& { return g.doc["meshes"][0]["primitives"][0]; };
    const auto replace = [](const std::string& from, const std::string& to) {
        return [from, to](std::string& text) {
            const size_t at = text.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            text.replace(at, from.size(), to);
        };
    };
    const std::vector<Case> cases = {
        {"as made", [](TestGltf&) {}, nullptr},
        {"extras of every kind",
         [&](TestGltf& g) {
             primitive(g)["extras"] = {{"lod", {{"color", 3}, {"list", {1, -2.5, "x", nullptr, true}}}}};
             g.doc["meshes"][0]["primitives"].push_back(primitive(g));
             g.doc["meshes"][0]["primitives"][1]["extras"] = nullptr;
             g.doc["meshes"][0]["primitives"].push_back(primitive(g));
             g.doc["meshes"][0]["primitives"][2]["extras"] = -7;
         },
         nullptr},
        {"a named mesh and a fan",
         [&](TestGltf& g) {
             g.doc["meshes"][0]["name"] = "wing";
             primitive(g)["mode"] = 6;
         },
         nullptr},
        {"min and max",
         [](TestGltf& g) {
             g.doc["accessors"][3]["min"] = {0};
             g.doc["accessors"][3]["max"] = {2};
         },
         nullptr},
        {"min and max of no use",
         [](TestGltf& g) {
             g.doc["accessors"][3]["min"] = {{0}};
             g.doc["accessors"][3]["max"] = "x";
         },
         nullptr},
        {"morph targets", [&](TestGltf& g) { primitive(g)["targets"] = json::array(); }, nullptr},
        {"unknown mode", [&](TestGltf& g) { primitive(g)["mode"] = 7; }, nullptr},
        {"negative mode", [&](TestGltf& g) { primitive(g)["mode"] = -1; }, nullptr},
        {"indices out of range", [&](TestGltf& g) { primitive(g)["indices"] = 99; }, nullptr},
        {"position out of range", [&](TestGltf& g) { primitive(g)["attributes"]["POSITION"] = 4294967295u; }, nullptr},
        {"no such material", [&](TestGltf& g) { primitive(g)["material"] = 0; }, nullptr},
        {"attributes not an object", [&](TestGltf& g) { primitive(g)["attributes"] = {0}; }, nullptr},
        {"mesh name a number", [](TestGltf& g) { g.doc["meshes"][0]["name"] = 5; }, nullptr},
        {"count past 32 bits", [](TestGltf& g) { g.doc["accessors"][3]["count"] = 4294967296u; }, nullptr},
        {"count a decimal", [](TestGltf& g) { g.doc["accessors"][3]["count"] = 3.0; }, nullptr},
        {"negative component type", [](TestGltf& g) { g.doc["accessors"][3]["componentType"] = -5121; }, nullptr},
        {"unknown type", [](TestGltf& g) { g.doc["accessors"][1]["type"] = "VEC5"; }, nullptr},
        {"normalized a number", [](TestGltf& g) { g.doc["accessors"][1]["normalized"] = 1; }, nullptr},
        {"no such view", [](TestGltf& g) { g.doc["accessors"][3]["bufferView"] = 99; }, nullptr},
        {"stride too small", [](TestGltf& g) { g.doc["bufferViews"][5]["byteStride"] = 2; }, nullptr},
        {"no such buffer", [](TestGltf& g) { g.doc["bufferViews"][0]["buffer"] = 1; }, nullptr},
        {"view length past 32 bits",
         [](TestGltf& g) { g.doc["bufferViews"][0]["byteLength"] = 8589934592u; }, nullptr},
        {"a count given twice", [](TestGltf&) {},
         replace("\"count\":3,\"type\":\"SCALAR\"", "\"count\":99,\"count\":3,\"type\":\"SCALAR\"")},
        {"a position given twice", [](TestGltf&) {}, replace("\"POSITION\":0", "\"POSITION\":9,\"POSITION\":0")},
    };
    const auto read = [](TestGltf g, const Case& c, bool forcePacked, std::string& error) {
        c.change(g);
        if (forcePacked) {
            for (const char* array : {"accessors", "bufferViews", "meshes"})
                for (json& element : g.doc[array]) element["unread"] = 0;
            for (json& p : g.doc["meshes"][0]["primitives"]) p["unread"] = 0;
        }
        GltfScene scene;
        error.clear();
        readBytes(g.glb(c.editText), scene, error);
        json shown = json::array();
        for (const GltfSceneMesh& mesh : scene.meshes) {
            for (const GltfScenePrimitive& p : mesh.primitives) {
                json unpacked;
                shown.push_back({mesh.name, static_cast<int>(p.mode), p.material, valuesOf(p.positions),
                                 valuesOf(p.normals), valuesOf(p.texCoords), valuesOf(p.indices),
                                 unpackedElement(p.extras, unpacked)});
            }
        }
        shown.push_back(scene.ignored);
        return shown;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string plainError;
        std::string packedError;
        const json plain = read(packedTriangle(), c, false, plainError);
        const json packed = read(packedTriangle(), c, true, packedError);
        EXPECT_EQ(plainError, packedError);
        EXPECT_EQ(plain.dump(), packed.dump());
    }
    // The file as made does take the plain form, and an unread member the packed one.
    for (const bool forcePacked : {false, true}) {
        TestGltf g = packedTriangle();
        if (forcePacked) g.doc["meshes"][0]["unread"] = 0;
        const std::string text = g.doc.dump();
        json document;
        std::string error;
        ASSERT_TRUE(parseGltfJson(reinterpret_cast<const uint8_t*>(text.data()), text.size(), document, error));
        EXPECT_EQ(GltfFlatMesh::bytesOf(document["meshes"][0]) == nullptr, forcePacked);
    }
}

TEST(PrimitiveTopology, StripsKeepTheirWindingFansTurnAboutTheFirstVertexLoopsClose) {
    GltfScenePrimitive p;
    p.indices = {0, 1, 2, 3, 4};
    using Tri = std::array<uint32_t, 3>;
    using Seg = std::array<uint32_t, 2>;
    p.mode = GltfMode::TriangleStrip;
    EXPECT_EQ(gltfTriangles(p), (std::vector<Tri>{{0, 1, 2}, {2, 1, 3}, {2, 3, 4}}));
    p.mode = GltfMode::TriangleFan;
    EXPECT_EQ(gltfTriangles(p), (std::vector<Tri>{{0, 1, 2}, {0, 2, 3}, {0, 3, 4}}));
    p.mode = GltfMode::Triangles;
    EXPECT_EQ(gltfTriangles(p), (std::vector<Tri>{{0, 1, 2}}));  // the incomplete rest is left out
    EXPECT_TRUE(gltfSegments(p).empty());
    p.mode = GltfMode::LineLoop;
    EXPECT_EQ(gltfSegments(p), (std::vector<Seg>{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}}));
    p.mode = GltfMode::LineStrip;
    EXPECT_EQ(gltfSegments(p), (std::vector<Seg>{{0, 1}, {1, 2}, {2, 3}, {3, 4}}));
    p.mode = GltfMode::Lines;
    EXPECT_EQ(gltfSegments(p), (std::vector<Seg>{{0, 1}, {2, 3}}));
    EXPECT_TRUE(gltfTriangles(p).empty());
}

}  // namespace
