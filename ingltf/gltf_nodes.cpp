#include "ingltf/gltf_nodes.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ingltf/gltf_json.h"

namespace mevlo {

namespace {

// Column-major T * R * S, the order glTF composes a node's TRS in.
std::array<double, 16> matrixOfTrs(const std::array<double, 3>& t, const std::array<double, 4>& q,
                                   const std::array<double, 3>& s) {
    const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    const double x = q[0] / length, y = q[1] / length, z = q[2] / length, w = q[3] / length;
    const double r[9] = {
        1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),      // column 0
        2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),      // column 1
        2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y),  // column 2
    };
    std::array<double, 16> m{};
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row) m[column * 4 + row] = r[column * 3 + row] * s[column];
    }
    m[12] = t[0];
    m[13] = t[1];
    m[14] = t[2];
    m[15] = 1;
    return m;
}

bool readNode(const nlohmann::json& json, size_t i, size_t nodeCount, GltfScene& scene, GltfSceneNode& node,
              std::string& error) {
    const JsonFields fields(json, "nodes[" + std::to_string(i) + "]");
    if (!json.is_object()) {
        error = fields.where() + ": not an object";
        return false;
    }
    int64_t mesh = -1;
    const nlohmann::json* children = nullptr;
    if (!fields.string("name", node.name, error) || !fields.index("mesh", scene.meshes.size(), mesh, error) ||
        !fields.array("children", children, error) || !fields.numbers("translation", node.translation.data(), 3, error) ||
        !fields.numbers("rotation", node.rotation.data(), 4, error) ||
        !fields.numbers("scale", node.scale.data(), 3, error))
        return false;
    node.mesh = static_cast<int32_t>(mesh);
    if (fields.has("matrix")) {
        if (fields.has("translation") || fields.has("rotation") || fields.has("scale")) {
            error = fields.where() + ": has both matrix and translation, rotation or scale";
            return false;
        }
        if (!fields.numbers("matrix", node.matrix.data(), 16, error)) return false;
        node.hasMatrix = true;
    } else {
        const auto& q = node.rotation;
        if (!(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3] > 1e-12)) {
            error = fields.where() + ".rotation: not a rotation (zero quaternion)";
            return false;
        }
        node.matrix = matrixOfTrs(node.translation, node.rotation, node.scale);
    }
    if (children != nullptr) {
        for (size_t k = 0; k < children->size(); ++k) {
            const nlohmann::json& child = (*children)[k];
            const bool valid = child.is_number_integer() && (child.is_number_unsigned() || child.get<int64_t>() >= 0) &&
                               child.get<uint64_t>() < nodeCount;
            if (!valid) {
                error = fields.where("children") + ": " + (child.is_number() ? child.dump() : "an entry") + " is not a node";
                return false;
            }
            node.children.push_back(static_cast<int32_t>(child.get<uint64_t>()));
        }
    }
    if (fields.has("camera")) noteIgnored(scene, "cameras");
    if (fields.has("skin")) noteIgnored(scene, "skins");
    if (fields.has("extras")) node.extras = *fields.find("extras");
    return true;
}

// The roots the file names: its default scene, else its first scene.
bool readSceneRoots(const nlohmann::json& document, const std::vector<int32_t>& parent, GltfScene& scene,
                    std::string& error) {
    const JsonFields top(document, "");
    const nlohmann::json* scenes = nullptr;
    if (!top.array("scenes", scenes, error)) return false;
    int64_t chosen = -1;
    if (!top.index("scene", scenes == nullptr ? 0 : scenes->size(), chosen, error)) return false;
    if (scenes == nullptr || scenes->empty()) {
        // No scene: every node that is no one's child, in order.
        for (size_t i = 0; i < parent.size(); ++i)
            if (parent[i] < 0) scene.roots.push_back(static_cast<int32_t>(i));
        return true;
    }
    if (chosen < 0) chosen = 0;
    const JsonFields fields((*scenes)[static_cast<size_t>(chosen)], "scenes[" + std::to_string(chosen) + "]");
    const nlohmann::json* nodes = nullptr;
    if (!fields.array("nodes", nodes, error)) return false;
    if (nodes == nullptr) return true;
    std::vector<bool> listed(parent.size(), false);
    for (const nlohmann::json& entry : *nodes) {
        const bool valid = entry.is_number_integer() && (entry.is_number_unsigned() || entry.get<int64_t>() >= 0) &&
                           entry.get<uint64_t>() < parent.size();
        if (!valid) {
            error = fields.where("nodes") + ": " + (entry.is_number() ? entry.dump() : "an entry") + " is not a node";
            return false;
        }
        const auto root = static_cast<size_t>(entry.get<uint64_t>());
        if (parent[root] >= 0 || listed[root]) {
            error = fields.where("nodes") + ": node " + std::to_string(root) +
                    (listed[root] ? " is listed twice" : " is a child of node " + std::to_string(parent[root]));
            return false;
        }
        listed[root] = true;
        scene.roots.push_back(static_cast<int32_t>(root));
    }
    return true;
}

}  // namespace

void noteIgnored(GltfScene& scene, const char* what) {
    if (std::find(scene.ignored.begin(), scene.ignored.end(), what) == scene.ignored.end())
        scene.ignored.push_back(what);
}

bool readGltfNodes(const nlohmann::json& document, GltfScene& scene, std::string& error) {
    const JsonFields top(document, "");
    const nlohmann::json* nodes = nullptr;
    if (!top.array("nodes", nodes, error)) return false;
    const size_t count = nodes == nullptr ? 0 : nodes->size();
    if (count > static_cast<size_t>(INT32_MAX)) {
        error = "nodes: too many";
        return false;
    }
    scene.nodes.resize(count);  // backed by the entries of the JSON array
    std::vector<int32_t> parent(count, -1);
    for (size_t i = 0; i < count; ++i) {
        if (!readNode((*nodes)[i], i, count, scene, scene.nodes[i], error)) return false;
        for (const int32_t child : scene.nodes[i].children) {
            // A node listed twice by one parent counts as two parents too.
            if (parent[static_cast<size_t>(child)] >= 0) {
                error = "nodes[" + std::to_string(child) + "]: a child of both node " +
                        std::to_string(parent[static_cast<size_t>(child)]) + " and node " + std::to_string(i);
                return false;
            }
            parent[static_cast<size_t>(child)] = static_cast<int32_t>(i);
        }
    }
    // With one parent each, a node no walk down from a parentless node
    // reaches lies on a loop.
    std::vector<bool> reached(count, false);
    std::vector<int32_t> pending;
    for (size_t i = 0; i < count; ++i)
        if (parent[i] < 0) pending.push_back(static_cast<int32_t>(i));
    while (!pending.empty()) {
        const auto node = static_cast<size_t>(pending.back());
        pending.pop_back();
        reached[node] = true;
        for (const int32_t child : scene.nodes[node].children) pending.push_back(child);
    }
    for (size_t i = 0; i < count; ++i) {
        if (!reached[i]) {
            error = "nodes[" + std::to_string(i) + "]: lies on a loop of children";
            return false;
        }
    }
    return readSceneRoots(document, parent, scene, error);
}

}  // namespace mevlo
