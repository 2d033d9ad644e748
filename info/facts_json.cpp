#include "info/facts_json.h"

#include <string>

namespace mevlo {

namespace {

void writeVec(const Vec3& v, JsonWriter& json) {
    json.beginArray();
    json.value(v.x);
    json.value(v.y);
    json.value(v.z);
    json.endArray();
}

void writeBounds(const char* name, const Bounds& bounds, JsonWriter& json) {
    json.key(name);
    if (!bounds.present) {
        json.rawValue("null");
        return;
    }
    json.beginObject();
    json.key("min");
    writeVec(bounds.min, json);
    json.key("max");
    writeVec(bounds.max, json);
    json.key("size");
    writeVec(Vec3{bounds.max.x - bounds.min.x, bounds.max.y - bounds.min.y, bounds.max.z - bounds.min.z}, json);
    json.endObject();
}

void writeMesh(const char* name, const MeshFact& mesh, bool present, JsonWriter& json) {
    json.key(name);
    if (!present) {
        json.rawValue("null");
        return;
    }
    json.beginObject();
    json.field("name", mesh.name);
    json.field("vertices", mesh.vertices);
    json.field("triangles", mesh.triangles);
    json.endObject();
}

void writeDofs(const ModelFacts& facts, JsonWriter& json) {
    json.key("dofs");
    json.beginArray();
    for (const auto& entry : facts.dofs) json.value(entry.first);
    json.endArray();
    // The same numbers with the nodes that use them and their limits.
    json.key("dofUses");
    json.beginArray();
    for (const auto& [id, use] : facts.dofs) {
        json.beginObject();
        json.field("id", id);
        json.key("nodes");
        json.beginObject();
        json.field("DOF", use.dofNodes);
        json.field("XDOF", use.xdofNodes);
        json.field("Translator", use.translatorNodes);
        json.field("Scale", use.scaleNodes);
        json.endObject();
        json.key("limits");
        if (use.hasLimits) {
            json.beginArray();
            json.value(use.minimum);
            json.value(use.maximum);
            json.endArray();
        } else {
            json.rawValue("null");
        }
        json.endObject();
    }
    json.endArray();
}

void writeTextures(const ModelFacts& facts, JsonWriter& json) {
    json.key("textures");
    json.beginObject();
    json.key("root");
    json.beginArray();
    for (int32_t number : facts.rootTextures) json.value(number);
    json.endArray();
    json.key("used");
    json.beginObject();
    for (const auto& [texture, primitives] : facts.texturesUsed) json.field(std::to_string(texture).c_str(), primitives);
    json.endObject();
    json.key("notInRoot");
    json.beginArray();
    for (const auto& entry : facts.texturesUsed)
        if (!facts.rootListsTexture(entry.first)) json.value(entry.first);
    json.endArray();
    json.endObject();
}

void writeProblems(const LoadProblems& problems, JsonWriter& json) {
    json.key("problems");
    json.beginObject();
    json.field("nodeTypeOutOfRange", problems.typeOutOfRange);
    json.field("nestingTooDeep", problems.nestingTooDeep);
    json.field("unknownPrimitiveType", problems.unknownPrimitiveTypes);
    json.field("unreadableTable", problems.unreadableTables);
    json.endObject();
}

}  // namespace

void writeFactsJson(const ModelFacts& facts, JsonWriter& json) {
    json.beginObject();
    json.field("file", facts.file);
    json.field("bytes", facts.bytes);
    json.field("nodeCount", facts.nodeCount);
    json.field("nodesBuilt", facts.nodesBuilt);
    json.key("nodesByType");
    json.beginObject();
    for (int32_t code = 0; code < kNodeTypeCount; ++code)
        json.field(NodeTypeTable[code].name, facts.nodesByType[static_cast<size_t>(code)]);
    json.endObject();
    json.key("primitivesByType");
    json.beginObject();
    for (const auto& [type, count] : facts.primitivesByType) json.field(std::to_string(type).c_str(), count);
    json.endObject();
    json.field("containers", facts.containers);
    json.field("meshes", facts.meshes);
    json.field("vertices", facts.vertices);
    json.field("triangles", facts.triangles);
    json.field("droppedFaces", facts.droppedFaces);
    json.field("points", facts.points);
    json.field("lineSegments", facts.lineSegments);
    json.field("polygons", facts.polygons);
    writeMesh("largestMesh", facts.largestByVertices, facts.meshes > 0, json);
    writeMesh("largestMeshByTriangles", facts.largestByTriangles, facts.meshes > 0, json);
    json.field("convertsTo3ds", facts.tooLarge.empty());
    json.key("tooLarge");
    if (facts.tooLarge.empty()) {
        json.rawValue("null");
    } else {
        json.value(facts.tooLarge);
    }
    json.field("gltfSizeLimit", false);
    writeDofs(facts, json);
    json.key("switches");
    json.beginArray();
    for (const SwitchFact& s : facts.switches) {
        json.beginObject();
        json.field("id", s.id);
        json.field("branches", s.branches);
        json.field("type", s.extended ? "XSwitch" : "Switch");
        json.endObject();
    }
    json.endArray();
    json.key("slots");
    json.beginArray();
    for (int32_t slot : facts.slots) json.value(slot);
    json.endArray();
    writeTextures(facts, json);
    writeBounds("bounds3ds", facts.bounds3ds, json);
    writeBounds("boundsGltf", facts.boundsGltf, json);
    json.key("script");
    if (facts.hasRoot) {
        json.value(facts.script);
    } else {
        json.rawValue("null");
    }
    writeProblems(facts.problems, json);
    json.endObject();
}

}  // namespace mevlo
