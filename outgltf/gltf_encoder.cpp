#include "outgltf/gltf_encoder.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

#include "common/json_writer.h"
#include "common/byte_order.h"

namespace mevlo {

namespace {

// Opens the "extras": {"lod": { ... }} object every LOD-made element
// carries; closeLodExtras closes both levels.
void openLodExtras(JsonWriter& json) {
    json.key("extras");
    json.beginObject();
    json.key("lod");
    json.beginObject();
}

void closeLodExtras(JsonWriter& json) {
    json.endObject();
    json.endObject();
}

void writeNumbers(JsonWriter& json, const char* name, std::initializer_list<double> numbers) {
    json.key(name);
    json.beginArray();
    for (double number : numbers) json.value(number);
    json.endArray();
}

// `order` is where the node stands among its siblings: tools that sort
// siblings by name keep the extras, so the import can put them back.
void writeNode(JsonWriter& json, const GltfNode& node, int32_t order) {
    json.beginObject();
    json.field("name", node.name);
    if (node.hasTransform) {
        writeNumbers(json, "translation", {node.translation.x, node.translation.y, node.translation.z});
        writeNumbers(json, "rotation", {node.rotation.x, node.rotation.y, node.rotation.z, node.rotation.w});
        writeNumbers(json, "scale", {node.scale.x, node.scale.y, node.scale.z});
    }
    if (node.mesh >= 0) json.field("mesh", node.mesh);
    if (!node.children.empty()) {
        json.key("children");
        json.beginArray();
        for (int32_t child : node.children) json.value(child);
        json.endArray();
    }
    if (!node.lodExtras.empty()) {
        json.key("extras");
        json.beginObject();
        json.key("lod");
        std::string lod = node.lodExtras;
        lod.pop_back();
        lod += ",\"order\":" + std::to_string(order) + "}";
        json.rawValue(lod);
        json.endObject();
    }
    json.endObject();
}

void writePrimitive(JsonWriter& json, const GltfPrimitive& primitive, const std::vector<GltfMaterial>& materials) {
    json.beginObject();
    json.key("attributes");
    json.beginObject();
    json.field("POSITION", primitive.position);
    if (primitive.normal >= 0) json.field("NORMAL", primitive.normal);
    if (primitive.texcoord >= 0) json.field("TEXCOORD_0", primitive.texcoord);
    json.endObject();
    json.field("indices", primitive.indices);
    // Triangles are the default mode; a mesh may have thousands of primitives.
    if (primitive.mode != kGltfTriangles) json.field("mode", primitive.mode);
    if (primitive.material >= 0) json.field("material", primitive.material);
    // A colour the material already names is not repeated: a mesh may have
    // a primitive per colour, and the import reads the material's.
    const bool colorOfMaterial = primitive.material >= 0 && static_cast<size_t>(primitive.material) < materials.size() &&
                                 materials[static_cast<size_t>(primitive.material)].color != 0 &&
                                 materials[static_cast<size_t>(primitive.material)].color == primitive.color;
    if (primitive.hasColor && !colorOfMaterial) {
        openLodExtras(json);
        json.field("color", primitive.color);
        closeLodExtras(json);
    }
    json.endObject();
}

void writeMaterial(JsonWriter& json, const GltfMaterial& material) {
    json.beginObject();
    json.field("name", material.name);
    json.key("pbrMetallicRoughness");
    json.beginObject();
    if (material.image >= 0) {
        json.key("baseColorTexture");
        json.beginObject();
        json.field("index", material.image);
        json.endObject();
    }
    // LOD surfaces are not metal; the glTF default (1) would draw them dark.
    json.field("metallicFactor", 0);
    json.endObject();
    if (material.alpha) {
        json.field("alphaMode", "BLEND");
    } else if (material.clip) {
        json.field("alphaMode", "MASK");
    }
    openLodExtras(json);
    if (material.texture >= 0) json.field("texture", material.texture);
    if (material.color != 0) json.field("color", material.color);
    json.field("alpha", material.alpha);
    json.field("clip", material.clip);
    closeLodExtras(json);
    json.endObject();
}

void writeAccessor(JsonWriter& json, const GltfAccessor& accessor) {
    json.beginObject();
    json.field("bufferView", accessor.bufferView);
    if (accessor.byteOffset != 0) json.field("byteOffset", accessor.byteOffset);
    json.field("componentType", accessor.componentType);
    json.field("count", accessor.count);
    json.field("type", accessor.type);
    if (accessor.hasBounds) {
        json.key("min");
        json.beginArray();
        for (float v : accessor.min) json.value(v);
        json.endArray();
        json.key("max");
        json.beginArray();
        for (float v : accessor.max) json.value(v);
        json.endArray();
    }
    json.endObject();
}

template <typename T, typename Write>
void writeArray(JsonWriter& json, const char* name, const std::vector<T>& items, Write write) {
    if (items.empty()) return;  // glTF has no empty arrays
    json.key(name);
    json.beginArray();
    for (const T& item : items) write(json, item);
    json.endArray();
}

}  // namespace

std::string uriReference(const std::string& path) {
    std::string out;
    for (const char ch : path) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            out += ch;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

std::string encodeGltfJson(const GltfDocument& document, const std::string& binUri) {
    JsonWriter json;
    // Room for what the arrays take in the common case (a large model's
    // text runs to tens of megabytes), instead of growing by doubling,
    // which copies the text made so far and touches fresh pages each time.
    json.text().reserve(4096 + 128 * document.accessors.size() + 96 * document.bufferViews.size() +
                        256 * document.nodes.size() + 128 * document.materials.size());
    json.beginObject();
    json.key("asset");
    json.beginObject();
    json.field("version", "2.0");
    json.field("generator", "mevlo lodtool 1.0.0");
    json.endObject();
    json.field("scene", 0);
    json.key("scenes");
    json.beginArray();
    json.beginObject();
    if (!document.sceneNodes.empty()) {
        json.key("nodes");
        json.beginArray();
        for (int32_t node : document.sceneNodes) json.value(node);
        json.endArray();
    }
    json.endObject();
    json.endArray();
    std::vector<int32_t> order(document.nodes.size(), 0);
    for (size_t i = 0; i < document.sceneNodes.size(); ++i)
        order[static_cast<size_t>(document.sceneNodes[i])] = static_cast<int32_t>(i);
    for (const GltfNode& node : document.nodes)
        for (size_t i = 0; i < node.children.size(); ++i)
            order[static_cast<size_t>(node.children[i])] = static_cast<int32_t>(i);
    if (!document.nodes.empty()) {
        json.key("nodes");
        json.beginArray();
        for (size_t i = 0; i < document.nodes.size(); ++i) writeNode(json, document.nodes[i], order[i]);
        json.endArray();
    }
    writeArray(json, "meshes", document.meshes, [&document](JsonWriter& out, const GltfMesh& mesh) {
        out.beginObject();
        out.field("name", mesh.name);
        writeArray(out, "primitives", mesh.primitives, [&document](JsonWriter& in, const GltfPrimitive& primitive) {
            writePrimitive(in, primitive, document.materials);
        });
        out.endObject();
    });
    writeArray(json, "materials", document.materials, writeMaterial);
    std::vector<int32_t> textures;
    for (size_t i = 0; i < document.images.size(); ++i) textures.push_back(static_cast<int32_t>(i));
    writeArray(json, "textures", textures, [](JsonWriter& out, int32_t image) {
        out.beginObject();
        out.field("source", image);
        out.endObject();
    });
    writeArray(json, "images", document.images, [](JsonWriter& out, const std::string& uri) {
        out.beginObject();
        out.field("uri", uriReference(uri));
        out.endObject();
    });
    writeArray(json, "accessors", document.accessors, writeAccessor);
    writeArray(json, "bufferViews", document.bufferViews, [](JsonWriter& out, const GltfBufferView& view) {
        out.beginObject();
        out.field("buffer", 0);
        out.field("byteOffset", view.offset);
        out.field("byteLength", view.length);
        if (view.target != 0) out.field("target", view.target);
        out.endObject();
    });
    if (document.binSize > 0) {
        json.key("buffers");
        json.beginArray();
        json.beginObject();
        json.field("byteLength", document.binSize);
        if (!binUri.empty()) json.field("uri", uriReference(binUri));
        json.endObject();
        json.endArray();
    }
    json.endObject();
    return std::move(json.text());
}

GlbFrame glbFrameOf(size_t jsonBytes, size_t binBytes) {
    const size_t jsonPadded = (jsonBytes + 3) / 4 * 4;
    const size_t binChunk = binBytes > 0 ? 8 + binBytes : 0;
    const size_t total = 12 + 8 + jsonPadded + binChunk;
    GlbFrame frame;
    storeU32LE(&frame.before[0], 0x46546C67u);  // "glTF"
    storeU32LE(&frame.before[4], 2);
    storeU32LE(&frame.before[8], static_cast<uint32_t>(total));
    storeU32LE(&frame.before[12], static_cast<uint32_t>(jsonPadded));
    storeU32LE(&frame.before[16], 0x4E4F534Au);  // "JSON"
    for (size_t i = jsonBytes; i < jsonPadded; ++i) frame.after[frame.afterSize++] = ' ';
    if (binBytes > 0) {
        storeU32LE(&frame.after[frame.afterSize], static_cast<uint32_t>(binBytes));
        storeU32LE(&frame.after[frame.afterSize + 4], 0x004E4942u);  // "BIN\0"
        frame.afterSize += 8;
    }
    return frame;
}

std::vector<uint8_t> encodeGlbHead(const std::string& json, size_t binBytes) {
    const GlbFrame frame = glbFrameOf(json.size(), binBytes);
    std::vector<uint8_t> head;
    head.reserve(sizeof frame.before + json.size() + frame.afterSize);
    head.insert(head.end(), frame.before, frame.before + sizeof frame.before);
    head.insert(head.end(), json.begin(), json.end());
    head.insert(head.end(), frame.after, frame.after + frame.afterSize);
    return head;
}

}  // namespace mevlo
