// The node forest of a glTF file: each node's name, mesh, children and
// local transform, checked to be a forest (no node with two parents, no
// loop), and the roots of the scene that is shown.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "ingltf/gltf_scene.h"

namespace mevlo {

// Fills scene.nodes and scene.roots (scene.meshes must be read already, so
// that mesh indices can be checked) and notes cameras and skins in
// scene.ignored.
bool readGltfNodes(const nlohmann::json& document, GltfScene& scene, std::string& error);

// Adds what to scene.ignored unless it is there already.
void noteIgnored(GltfScene& scene, const char* what);

}  // namespace mevlo
