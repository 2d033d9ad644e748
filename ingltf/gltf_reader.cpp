// readGltfFile / readGltfBytes: the container, the JSON, the binary data,
// then materials, meshes and nodes, each checked as it is read.
#include <filesystem>
#include <utility>

#include "ingltf/accessor_reader.h"
#include "ingltf/glb_container.h"
#include "ingltf/gltf_element.h"
#include "ingltf/gltf_buffers.h"
#include "ingltf/gltf_json.h"
#include "ingltf/gltf_nodes.h"
#include "ingltf/gltf_scene.h"
#include "ingltf/gltf_uri.h"

namespace mevlo {

namespace {

// Extensions a file may require that change nothing the import reads:
// quantized attributes are decoded like any other component type, and
// material, light and image-format extensions concern what is left out.
bool understoodExtension(const std::string& name) {
    return name == "KHR_mesh_quantization" || name == "KHR_lights_punctual" || name == "KHR_texture_basisu" ||
           name == "EXT_texture_webp" || name.compare(0, 14, "KHR_materials_") == 0;
}

bool readAssetAndExtensions(const nlohmann::json& document, GltfScene& scene, std::string& error) {
    const JsonFields top(document, "");
    const nlohmann::json* asset = nullptr;
    if (!top.object("asset", asset, error)) return false;
    std::string version;
    if (asset != nullptr && !JsonFields(*asset, "asset").string("version", version, error)) return false;
    if (version.compare(0, 2, "2.") != 0) {
        error = version.empty() ? "not a glTF 2.0 file (no asset.version)"
                                : "glTF version " + shownText(version) + " (only 2.x is read)";
        return false;
    }
    const nlohmann::json* required = nullptr;
    if (!top.array("extensionsRequired", required, error)) return false;
    if (required != nullptr) {
        for (const nlohmann::json& name : *required) {
            if (!name.is_string()) {
                error = "extensionsRequired: not a list of names";
                return false;
            }
            if (!understoodExtension(name.get_ref<const std::string&>())) {
                error = "requires the extension " + shownText(name.get<std::string>()) +
                        ", which the import does not read";
                return false;
            }
        }
    }
    const nlohmann::json* extensions = nullptr;
    const nlohmann::json* list = nullptr;
    if (!top.object("extensions", extensions, error)) return false;
    if (!top.array("cameras", list, error)) return false;
    if (list != nullptr && !list->empty()) noteIgnored(scene, "cameras");
    if (!top.array("skins", list, error)) return false;
    if (list != nullptr && !list->empty()) noteIgnored(scene, "skins");
    if (!top.array("animations", list, error)) return false;
    if (list != nullptr && !list->empty()) noteIgnored(scene, "animations");
    if (extensions != nullptr && extensions->contains("KHR_lights_punctual")) noteIgnored(scene, "lights");
    return true;
}

bool readImages(const nlohmann::json& document, GltfScene& scene, std::string& error) {
    const nlohmann::json* images = nullptr;
    if (!JsonFields(document, "").array("images", images, error)) return false;
    if (images == nullptr) return true;
    for (size_t i = 0; i < images->size(); ++i) {
        const JsonFields fields((*images)[i], "images[" + std::to_string(i) + "]");
        GltfSceneImage image;
        if (!fields.string("name", image.name, error) || !fields.string("uri", image.uri, error)) return false;
        if (isDataUri(image.uri)) image.uri.clear();
        scene.images.push_back(std::move(image));
    }
    return true;
}

bool readMaterials(const nlohmann::json& document, GltfScene& scene, std::string& error) {
    const JsonFields top(document, "");
    const nlohmann::json* textures = nullptr;
    const nlohmann::json* materials = nullptr;
    if (!top.array("textures", textures, error) || !top.array("materials", materials, error)) return false;
    // The image of every texture (-1 when it names none).
    std::vector<int32_t> textureImage;
    if (textures != nullptr) {
        for (size_t i = 0; i < textures->size(); ++i) {
            int64_t source = -1;
            if (!JsonFields((*textures)[i], "textures[" + std::to_string(i) + "]")
                     .index("source", scene.images.size(), source, error))
                return false;
            textureImage.push_back(static_cast<int32_t>(source));
        }
    }
    if (materials == nullptr) return true;
    for (size_t i = 0; i < materials->size(); ++i) {
        const JsonFields fields((*materials)[i], "materials[" + std::to_string(i) + "]");
        GltfSceneMaterial material;
        const nlohmann::json* pbr = nullptr;
        if (!fields.string("name", material.name, error) || !fields.string("alphaMode", material.alphaMode, error) ||
            !fields.number("alphaCutoff", material.alphaCutoff, error) ||
            !fields.object("pbrMetallicRoughness", pbr, error))
            return false;
        if (material.alphaMode != "OPAQUE" && material.alphaMode != "MASK" && material.alphaMode != "BLEND") {
            error = fields.where("alphaMode") + ": " + shownText(material.alphaMode) + " is not OPAQUE, MASK or BLEND";
            return false;
        }
        const nlohmann::json* baseColor = nullptr;
        if (pbr != nullptr) {
            const JsonFields pbrFields(*pbr, fields.where("pbrMetallicRoughness"));
            if (!pbrFields.object("baseColorTexture", baseColor, error)) return false;
        }
        if (baseColor != nullptr) {
            int64_t texture = -1;
            if (!JsonFields(*baseColor, fields.where("pbrMetallicRoughness.baseColorTexture"))
                     .index("index", textureImage.size(), texture, error))
                return false;
            if (texture >= 0) material.baseColorImage = textureImage[static_cast<size_t>(texture)];
        }
        if (fields.has("extras")) material.extras = *fields.find("extras");
        scene.materials.push_back(std::move(material));
    }
    return true;
}

// A primitive without indices, to be given 0, 1, ... once all are read.
struct Unindexed {
    size_t mesh;
    size_t primitive;
    size_t vertices;
};

// The members of a primitive that name other elements, or give its mode.
struct PrimitiveMembers {
    int64_t mode = 4;
    int64_t material = -1;
    int64_t indices = -1;
    int64_t position = -1;
    int64_t normal = -1;
    int64_t texCoord = -1;
};

bool readMembers(const GltfElementFields& fields, GltfScene& scene, const AccessorReader& accessors,
                 GltfScenePrimitive& primitive, PrimitiveMembers& members, std::string& error) {
    if (!fields.object("attributes", error) || !fields.integer("mode", members.mode, error) ||
        !fields.index("material", scene.materials.size(), members.material, error) ||
        !fields.index("indices", accessors.count(), members.indices, error))
        return false;
    if (members.mode < 0 || members.mode > 6) {
        error = fields.where("mode") + ": " + std::to_string(members.mode) + " is not a primitive mode (0 to 6)";
        return false;
    }
    if (fields.has("targets")) noteIgnored(scene, "morph targets");
    if (fields.has("extras")) primitive.extras = fields.packed("extras");
    if (fields.has("attributes")) {
        const GltfElementFields attributeFields = fields.member("attributes");
        if (!attributeFields.index("POSITION", accessors.count(), members.position, error) ||
            !attributeFields.index("NORMAL", accessors.count(), members.normal, error) ||
            !attributeFields.index("TEXCOORD_0", accessors.count(), members.texCoord, error))
            return false;
    }
    return true;
}

// The same for a primitive kept as a record (a large file holds them by
// the hundred thousand), read straight from it; false, with nothing read,
// when a member is out of range: readMembers then says which.
bool readRecordMembers(const GltfFlatElement& record, const uint8_t* extrasBase, const GltfScene& scene,
                       const AccessorReader& accessors, GltfScenePrimitive& primitive, PrimitiveMembers& members) {
    const auto below = [&record](int slot, size_t limit, int64_t& out) {
        if (!record.has(slot)) return true;
        if (record.values[slot] >= limit) return false;
        out = record.values[slot];
        return true;
    };
    if (!below(kPrimitiveMode, 7, members.mode) ||
        !below(kPrimitiveMaterial, scene.materials.size(), members.material) ||
        !below(kPrimitiveIndices, accessors.count(), members.indices) ||
        !below(kPrimitivePosition, accessors.count(), members.position) ||
        !below(kPrimitiveNormal, accessors.count(), members.normal) ||
        !below(kPrimitiveTexCoord0, accessors.count(), members.texCoord))
        return false;
    if (record.has(kPrimitiveExtras))
        primitive.extras =
            packedBytes(std::vector<uint8_t>(extrasBase + record.extrasBegin, extrasBase + record.extrasEnd));
    return true;
}

// The primitive's data, once its members are read; where names it.
template <typename Where>
bool readPrimitiveData(const PrimitiveMembers& members, const Where& where, AccessorReader& accessors,
                       GltfScenePrimitive& primitive, bool& unindexed, std::string& error) {
    primitive.mode = static_cast<GltfMode>(members.mode);
    primitive.material = static_cast<int32_t>(members.material);
    size_t vertices = 0;
    if (members.position >= 0) {
        if (!accessors.floats(static_cast<size_t>(members.position), 3, true, primitive.positions, error))
            return false;
        vertices = primitive.positions.size() / 3;
    }
    if (vertices > UINT32_MAX) {
        error = where() + ": more vertices than 32-bit indices can name";
        return false;
    }
    const auto sameCount = [&](int64_t accessor, const char* name) {
        if (accessors.elementCount(static_cast<size_t>(accessor)) == vertices) return true;
        error = where() + ": " + name + " has " +
                std::to_string(accessors.elementCount(static_cast<size_t>(accessor))) + " elements, POSITION " +
                std::to_string(vertices);
        return false;
    };
    if (members.normal >= 0 &&
        (!accessors.floats(static_cast<size_t>(members.normal), 3, false, primitive.normals, error) ||
         !sameCount(members.normal, "NORMAL")))
        return false;
    if (members.texCoord >= 0 &&
        (!accessors.floats(static_cast<size_t>(members.texCoord), 2, false, primitive.texCoords, error) ||
         !sameCount(members.texCoord, "TEXCOORD_0")))
        return false;
    if (members.indices < 0) {
        unindexed = vertices > 0;
        return true;
    }
    uint32_t largest = 0;
    if (!accessors.indices(static_cast<size_t>(members.indices), primitive.indices, largest, error)) return false;
    if (!primitive.indices.empty() && largest >= vertices) {
        error = where() + ": index " + std::to_string(largest) + " out of range (" + std::to_string(vertices) +
                " vertices)";
        return false;
    }
    return true;
}

bool readMeshes(const nlohmann::json& document, GltfScene& scene, AccessorReader& accessors, std::string& error) {
    const nlohmann::json* meshes = nullptr;
    if (!JsonFields(document, "").array("meshes", meshes, error)) return false;
    if (meshes == nullptr) return true;
    std::vector<Unindexed> unindexed;
    size_t longest = 0;
    for (size_t m = 0; m < meshes->size(); ++m) {
        const std::string where = "meshes[" + std::to_string(m) + "]";
        GltfSceneMesh mesh;
        // Reads the primitive p, from the record when one holds it (null
        // otherwise) or from element.
        const auto read = [&](const GltfFlatElement* record, const uint8_t* extrasBase, const nlohmann::json* element,
                              size_t p) {
            const auto primitiveWhere = [&where, p] { return where + ".primitives[" + std::to_string(p) + "]"; };
            GltfScenePrimitive primitive;
            PrimitiveMembers members;
            if (record == nullptr ||
                !readRecordMembers(*record, extrasBase, scene, accessors, primitive, members)) {
                primitive = GltfScenePrimitive();
                members = PrimitiveMembers();
                const GltfElementFields fields =
                    record != nullptr ? GltfElementFields(*record, extrasBase, primitiveWhere())
                                      : GltfElementFields(*element, primitiveWhere());
                if (!readMembers(fields, scene, accessors, primitive, members, error)) return false;
            }
            bool withoutIndices = false;
            if (!readPrimitiveData(members, primitiveWhere, accessors, primitive, withoutIndices, error))
                return false;
            if (withoutIndices) {
                const size_t vertices = primitive.positions.size() / 3;
                unindexed.push_back({m, p, vertices});
                longest = std::max(longest, vertices);
            }
            mesh.primitives.push_back(std::move(primitive));
            return true;
        };
        if (const std::vector<uint8_t>* bytes = GltfFlatMesh::bytesOf((*meshes)[m])) {
            const GltfFlatMesh flat(*bytes);
            mesh.name = flat.name();
            mesh.primitives.reserve(flat.primitiveCount());
            for (size_t p = 0; p < flat.primitiveCount(); ++p) {
                const GltfFlatElement record = flat.primitive(p);
                if (!read(&record, flat.extrasBase(), nullptr, p)) return false;
            }
        } else {
            nlohmann::json scratch;
            const JsonFields fields(unpackedElement((*meshes)[m], scratch), where);
            const nlohmann::json* primitives = nullptr;
            if (!fields.string("name", mesh.name, error) || !fields.array("primitives", primitives, error))
                return false;
            if (fields.has("extras")) mesh.extras = *fields.find("extras");
            if (primitives != nullptr) {
                for (size_t p = 0; p < primitives->size(); ++p) {
                    if (!read(nullptr, nullptr, &(*primitives)[p], p)) return false;
                }
            }
        }
        scene.meshes.push_back(std::move(mesh));
    }
    // One list of 0, 1, ... serves them all.
    if (!unindexed.empty()) {
        accessors.sequence(longest);
        for (const Unindexed& entry : unindexed)
            scene.meshes[entry.mesh].primitives[entry.primitive].indices = accessors.sequence(entry.vertices);
    }
    return true;
}

bool readDocument(GltfScene& scene, const std::string& baseDir, std::string& error) {
    const uint8_t* data = scene.file.data();
    const size_t size = scene.file.size();
    GlbChunks chunks;
    if (looksLikeGlb(data, size)) {
        if (!splitGlb(data, size, chunks, error)) return false;
    } else {
        chunks.json = data;
        chunks.jsonSize = size;
    }
    nlohmann::json document;
    if (!parseGltfJson(chunks.json, chunks.jsonSize, document, error)) return false;
    // The document holds all of the text now (a large export's is tens of
    // megabytes); only the binary chunk is read from the file again.
    scene.file.release(chunks.json, chunks.jsonSize);
    if (!readAssetAndExtensions(document, scene, error)) return false;
    GltfInputData binary;
    if (!loadGltfBinaryData(document, chunks.bin, chunks.binSize, baseDir, scene, binary, error)) return false;
    const nlohmann::json* accessorList = nullptr;
    if (!JsonFields(document, "").array("accessors", accessorList, error)) return false;
    AccessorReader accessors(accessorList, binary, scene);
    return readImages(document, scene, error) && readMaterials(document, scene, error) &&
           readMeshes(document, scene, accessors, error) && readGltfNodes(document, scene, error);
}

// Nothing thrown by the JSON library leaves this layer (the readers above
// check types before reading values, so this is a second line of defence).
bool readChecked(GltfScene& scene, const std::string& baseDir, std::string& error) {
    try {
        if (readDocument(scene, baseDir, error)) return true;
    } catch (const nlohmann::json::exception& e) {
        error = std::string("malformed glTF: ") + e.what();
    }
    // Whatever a message quotes from the file, it stays one line.
    for (char& c : error)
        if (c == '\n' || c == '\r') c = '?';
    scene = GltfScene();
    return false;
}

}  // namespace

bool readGltfFile(const std::string& path, GltfScene& scene, std::string& error) {
    InputFile file;
    if (!file.open(path, error)) {
        // "<path>: cannot open: ..." without the path, which the caller adds.
        if (error.compare(0, path.size() + 2, path + ": ") == 0) error.erase(0, path.size() + 2);
        return false;
    }
    scene = GltfScene();
    scene.file = std::move(file);
    std::string baseDir = std::filesystem::u8path(path).parent_path().u8string();
    if (baseDir.empty()) baseDir = ".";
    return readChecked(scene, baseDir, error);
}

bool readGltfBytes(const uint8_t* data, size_t size, const std::string& baseDir, GltfScene& scene,
                   std::string& error) {
    scene = GltfScene();
    scene.file = InputFile(std::vector<uint8_t>(data, data + size));
    return readChecked(scene, baseDir, error);
}

}  // namespace mevlo
