// The facts `lodtool info` reports about one model: what the file holds,
// what the conversion makes of it and what went wrong while loading.
//
// Tree facts count every node and primitive the loader built; conversion
// facts come from the same walk that `mevlo` and `lodtool export` run, so
// their counts agree with what those commands report on the same file.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/vec.h"
#include "lod/lod_model.h"
#include "lod/node_type.h"

namespace mevlo {

// One degree-of-freedom number and the nodes that use it.
struct DofUse {
    int32_t id = 0;
    // Nodes of each kind using the number: DOF, XDOF, Translator, Scale.
    int64_t dofNodes = 0;
    int64_t xdofNodes = 0;
    int64_t translatorNodes = 0;
    int64_t scaleNodes = 0;
    // The widest range of the limits of the XDOF, Translator and Scale
    // nodes among them (a DOF record carries no limits).
    bool hasLimits = false;
    float minimum = 0.0f;
    float maximum = 0.0f;
};

struct SwitchFact {
    int32_t id = 0;
    int32_t branches = 0;
    bool extended = false;  // an XSwitch
};

struct MeshFact {
    std::string name;  // the 3DS object name, "0007"
    int64_t vertices = 0;
    int64_t triangles = 0;
};

struct Bounds {
    bool present = false;
    Vec3 min;
    Vec3 max;
};

struct ModelFacts {
    std::string file;
    int64_t bytes = 0;

    // The node table and the tree built from it.
    int32_t nodeCount = 0;
    int64_t nodesBuilt = 0;
    std::array<int64_t, kNodeTypeCount> nodesByType{};
    std::map<int32_t, int64_t> primitivesByType;
    LoadProblems problems;

    // Numbers the model is driven by, and the textures it names.
    std::map<int32_t, DofUse> dofs;
    std::vector<SwitchFact> switches;  // in creation order
    std::vector<int32_t> slots;        // sorted, unique
    bool hasRoot = false;
    int32_t script = 0;
    std::vector<int32_t> rootTextures;
    std::map<int32_t, int64_t> texturesUsed;  // texture number -> primitives

    bool rootListsTexture(int32_t texture) const {
        for (int32_t number : rootTextures)
            if (number == texture) return true;
        return false;
    }

    // What the conversion makes of the tree (no capacity applied).
    int64_t containers = 0;
    int64_t meshes = 0;
    int64_t vertices = 0;
    int64_t triangles = 0;
    int64_t droppedFaces = 0;
    int64_t points = 0;
    int64_t lineSegments = 0;
    int64_t polygons = 0;
    MeshFact largestByVertices;
    MeshFact largestByTriangles;
    // Empty when mevlo converts the model; otherwise its "Model too large:" line.
    std::string tooLarge;
    Bounds bounds3ds;
    Bounds boundsGltf;
};

// Counts the nodes, primitives, DOF, switch, slot and texture numbers of
// every node the loader built.
void collectTreeFacts(const LodModel& model, ModelFacts& facts);

}  // namespace mevlo
