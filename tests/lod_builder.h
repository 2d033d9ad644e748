// A readable way to make LOD files in tests, samples and benchmarks.
//
// Describe a tree with the node factories below (children are chains in
// vector order, switch branches are chains, an empty chain is an absent
// branch), then buildLod() lays it out: each record, then its child chains,
// then its tables, with every offset filled in and the node type table in
// creation order (a chain's nodes first, then the children of its last node,
// ..., then those of its first node). Labels give tests the record offset of
// a node so they can damage a file on purpose with the patch helpers.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "lod/node_type.h"
#include "common/vec.h"

namespace lodtest {

using mevlo::Vec3;

using Matrix = std::array<float, 9>;  // e0..e8, row by row as in a record
constexpr Matrix kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

struct Prim {
    int32_t type = 2;
    std::vector<int32_t> vertices;  // vertex indices
    std::array<float, 4> polyData{};
    std::vector<int32_t> colors;   // per-vertex colours (types with per-vertex colours)
    int32_t color = 0;             // single colour
    std::vector<int32_t> normals;  // per-vertex normal indices
    int32_t normal = 0;            // single normal index
    int32_t textureId = 0;
    std::vector<std::array<float, 2>> uv;  // texture coordinates
    // Stored vertex count when it must differ from vertices.size().
    std::optional<int32_t> countOverride;
};

// A primitive of the given type over the given vertex indices; the
// per-vertex blocks its type announces are filled with simple values.
Prim prim(int32_t type, std::vector<int32_t> vertexIndices);

struct Node;
using Chain = std::vector<Node>;

struct Node {
    int32_t code = mevlo::NODE_SUBTREE;
    std::string label;
    std::optional<int32_t> typeWord;  // default: the code's type word

    // SubTree family (and SpecialX vertices / children)
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;
    int32_t opaqueA = 0;
    int32_t opaqueB = 0;
    Chain children;
    // Root
    std::vector<int32_t> textures;
    int32_t script = 0;
    // DOF, XDOF, Translator, Scale
    int32_t dofId = 0;
    Matrix rotation = kIdentity;
    Vec3 translation;
    float minimum = 0.0f;
    float maximum = 0.0f;
    float multiplier = 1.0f;
    float opaqueValue = 0.0f;
    int32_t flags = 0;
    Vec3 vector;
    Vec3 opaqueVector;
    // Slot
    Vec3 position;
    int32_t slotId = 0;
    // Switch, XSwitch
    int32_t switchId = 0;
    std::vector<Chain> branches;
    // Split
    std::array<float, 4> plane{};
    Chain branchA;
    Chain branchB;
    // SpecialX
    int32_t specialType = 0;
    // RCNode
    int32_t rcType = 0;
    std::array<uint8_t, 32> rcData{};
    // PT, CP (prim), LP (prim = side A, sideB)
    Prim prim;
    Prim sideB;
};

Node root(std::vector<Vec3> vertices = {}, Chain children = {});
Node subTree(std::vector<Vec3> vertices = {}, Chain children = {});
Node dof(Matrix rotation, Vec3 translation, std::vector<Vec3> vertices = {}, Chain children = {});
Node xdof(Matrix rotation, Vec3 translation, std::vector<Vec3> vertices = {}, Chain children = {});
Node translator(Vec3 vector, std::vector<Vec3> vertices = {}, Chain children = {});
Node scale(Vec3 vector, std::vector<Vec3> vertices = {}, Chain children = {});
Node slot(int32_t slotId, Matrix rotation = kIdentity, Vec3 position = {});
Node switchNode(std::vector<Chain> branches, int32_t switchId = 0);
Node xswitch(std::vector<Chain> branches, int32_t flags = 0, int32_t switchId = 0);
Node split(Chain branchA, Chain branchB, std::array<float, 4> plane = {});
Node special(int32_t specialType, std::vector<Vec3> vertices = {}, Chain children = {});
Node litString();
Node rcNode(int32_t rcType, std::array<uint8_t, 32> rcData = {});
Node pt(Prim p);
Node cp(Prim p);
Node lp(Prim sideA, Prim sideB);

// Overrides for damaged files.
struct BuildOptions {
    std::optional<std::vector<int32_t>> typeTable;  // replaces the computed table
    std::optional<int32_t> nodeCount;              // replaces the stored count
};

struct BuiltLod {
    std::vector<uint8_t> bytes;
    int64_t dataBase = 0;
    std::vector<int32_t> typeTable;
    std::map<std::string, int32_t> offsets;  // record offset of each labelled node

    int32_t offsetOf(const std::string& label) const { return offsets.at(label); }
    // Node-data relative access (file position = dataBase + offset).
    int32_t int32At(int32_t offset) const;
    void setInt32(int32_t offset, int32_t value);
    void setFloat(int32_t offset, float value);
    // A word at byte `field` of a labelled node's record.
    void setField(const std::string& label, int32_t field, int32_t value) { setInt32(offsetOf(label) + field, value); }
    // Appends raw words to the node data; returns the offset of the first.
    int32_t append(const std::vector<int32_t>& words);
};

BuiltLod buildLod(const Chain& rootChain, const BuildOptions& options = {});
BuiltLod buildLod(const Node& rootNode, const BuildOptions& options = {});

// The node type codes a tree consumes, in creation order.
std::vector<int32_t> creationOrder(const Chain& chain);

// A file made of a node type table and raw node data words.
std::vector<uint8_t> rawLod(const std::vector<int32_t>& typeTable, const std::vector<int32_t>& words);
// Float bit pattern as a word, for rawLod.
int32_t floatWord(float value);

}  // namespace lodtest
