// What the glTF import must guarantee for any bytes: a refusal is one
// non-empty line and leaves nothing behind; a scene it accepts holds only
// what the mapping may trust (indices in range, finite positions, arrays of
// matching lengths, a forest of nodes); and the mapping either makes a LOD
// file the loader reads whole or says why it could not.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "ingltf/gltf_scene.h"
#include "ingltf/gltf_to_lod.h"
#include "common/message_sink.h"
#include "lod/lod_model.h"

namespace mevlofuzz {

inline std::string checkGltfScene(const mevlo::GltfScene& scene) {
    for (const mevlo::GltfSceneMesh& mesh : scene.meshes) {
        for (const mevlo::GltfScenePrimitive& p : mesh.primitives) {
            if (p.positions.size() % 3 != 0) return "positions not in threes";
            const size_t vertices = p.positions.size() / 3;
            for (const float v : p.positions)
                if (!std::isfinite(v)) return "position not finite";
            if (!p.normals.empty() && p.normals.size() != 3 * vertices) return "normals of another count";
            if (!p.texCoords.empty() && p.texCoords.size() != 2 * vertices) return "texture coordinates of another count";
            for (const uint32_t index : p.indices)
                if (index >= vertices) return "index out of range";
            if (p.material < -1 || p.material >= static_cast<int32_t>(scene.materials.size()))
                return "material out of range";
            if (static_cast<int32_t>(p.mode) < 0 || static_cast<int32_t>(p.mode) > 6) return "mode out of range";
        }
    }
    for (const mevlo::GltfSceneMaterial& m : scene.materials)
        if (m.baseColorImage < -1 || m.baseColorImage >= static_cast<int32_t>(scene.images.size()))
            return "image out of range";
    const size_t n = scene.nodes.size();
    std::vector<int> parents(n, 0);
    for (const mevlo::GltfSceneNode& node : scene.nodes) {
        if (node.mesh < -1 || node.mesh >= static_cast<int32_t>(scene.meshes.size())) return "mesh out of range";
        for (const int32_t child : node.children) {
            if (child < 0 || static_cast<size_t>(child) >= n) return "child out of range";
            if (++parents[static_cast<size_t>(child)] > 1) return "node with two parents";
        }
    }
    // Every node a walk from the roots reaches is reached once.
    std::vector<bool> seen(n, false);
    std::vector<int32_t> pending;
    for (const int32_t root : scene.roots) {
        if (root < 0 || static_cast<size_t>(root) >= n) return "root out of range";
        if (parents[static_cast<size_t>(root)] != 0) return "root with a parent";
        pending.push_back(root);
    }
    while (!pending.empty()) {
        const auto node = static_cast<size_t>(pending.back());
        pending.pop_back();
        if (seen[node]) return "node reached twice";
        seen[node] = true;
        for (const int32_t child : scene.nodes[node].children) pending.push_back(child);
    }
    return "";
}

// Read, check, map, load. "" when every step ended soundly.
inline std::string checkImport(const uint8_t* data, size_t size) {
    mevlo::GltfScene scene;
    std::string error;
    if (!mevlo::readGltfBytes(data, size, "", scene, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) return "refusal not one line: " + error;
        if (!scene.nodes.empty() || !scene.meshes.empty()) return "refusal left a scene behind";
        return "";
    }
    const std::string problem = checkGltfScene(scene);
    if (!problem.empty()) return problem;
    mevlo::GltfImportOptions options;
    std::vector<uint8_t> lod;
    mevlo::GltfImportReport report;
    if (!mevlo::importGltf(scene, options, lod, report)) {
        if (report.failure.empty() || report.failure.find('\n') != std::string::npos)
            return "mapping failure not one line: " + report.failure;
        return "";
    }
    mevlo::LodModel model;
    mevlo::MessageCount messages;
    model.loadBytes(lod.data(), lod.size(), messages);
    if (model.root == nullptr) return "the LOD file made does not load";
    // Primitive records come back from the extras word for word, so a type
    // word the loader does not know can come back too (it reads past it);
    // a node it cannot build, nesting it refuses or a table outside the
    // file would be damage the import made.
    const mevlo::LoadProblems& damage = model.problems;
    if (damage.typeOutOfRange + damage.nestingTooDeep + damage.unreadableTables != 0)
        return "the LOD file made loads with damage";
    return "";
}

}  // namespace mevlofuzz
