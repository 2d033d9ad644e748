// What the parts of the import share while one scene is mapped.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "ingltf/gltf_scene.h"
#include "ingltf/gltf_to_lod.h"
#include "ingltf/import_axes.h"
#include "ingltf/import_budget.h"
#include "lod/build/lod_tree.h"

namespace mevlo {

struct ImportContext {
    const GltfScene& scene;
    const GltfImportOptions& options;
    GltfImportReport& report;
    LodTree tree;
    // Texture numbers of materials without `extras.lod.texture`, by image.
    std::map<int32_t, int32_t> assignedTextures;
    // Texture numbers named anywhere, so new ones avoid them.
    std::map<int32_t, bool> usedTextures;
    // What the tree may still take (see ImportBudget).
    ImportBudget budget;

    // Charges bytes the mapping is about to build; false, with the
    // failure set, when the model would outgrow its file.
    bool charge(uint64_t bytes) {
        if (budget.charge(bytes)) return true;
        if (report.failure.empty()) report.failure = importBudgetFailure();
        return false;
    }
};

// extras.lod of an element, or null.
const nlohmann::json* lodExtras(const nlohmann::json& extras);
// A number of extras.lod (tools may turn integers into decimals and
// booleans into 0/1), or `fallback`.
double extraNumber(const nlohmann::json* lod, const char* key, double fallback);
bool hasExtra(const nlohmann::json* lod, const char* key);

// Adds the container's primitives from its glTF mesh (no records): one CP
// per triangle, a PT per point set and per line. Vertices past
// options.maxVertices go to further SubTrees appended to `overflow`.
void addMeshPrimitives(ImportContext& context, int32_t container, const GltfSceneMesh& mesh,
                       const LodAffine& bake, LodTreeChain& children, LodTreeChain& overflow);

}  // namespace mevlo
