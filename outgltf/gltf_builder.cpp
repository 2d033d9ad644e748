#include "outgltf/gltf_builder.h"

#include <cstdint>

#include "common/json_writer.h"
#include "common/mesh_name.h"
#include "lod/control_nodes.h"
#include "lod/primitive.h"
#include "outgltf/lod_chain.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"

namespace mevlo {

namespace {

const char* typeName(int32_t code) { return isKnownNodeType(code) ? NodeTypeTable[code].name : "Unknown"; }

void writeVec3(JsonWriter& json, const char* name, const Vec3& v) {
    json.key(name);
    json.beginArray();
    json.value(v.x);
    json.value(v.y);
    json.value(v.z);
    json.endArray();
}

// The nine matrix values e0..e8 as the record stores them, row by row.
void writeMatrix(JsonWriter& json, const char* name, const Mat3& m) {
    json.key(name);
    json.beginArray();
    for (int i = 0; i < 9; ++i) json.value(m.fileValue(i));
    json.endArray();
}

void writeLimits(JsonWriter& json, const DofLimitsNode& node, int32_t flags) {
    json.field("dof", node.dofId);
    json.field("minimum", node.minimum);
    json.field("maximum", node.maximum);
    json.field("multiplier", node.multiplier);
    json.field("opaqueValue", node.opaqueValue);
    json.field("flags", flags);
}

// extras.lod of a container: its type and offset and every number of its
// record besides the tables (vectors and matrices as stored, in LOD axes).
std::string containerExtras(const SubTreeNode& node) {
    JsonWriter json;
    json.beginObject();
    json.field("type", typeName(node.type));
    json.field("offset", node.recordOffset);
    json.field("opaqueA", node.opaqueA);
    json.field("opaqueB", node.opaqueB);
    switch (node.type) {
        case NODE_ROOT: {
            const auto& root = static_cast<const RootNode&>(node);
            json.field("script", root.script);
            json.key("textures");
            json.beginArray();
            for (int32_t i = 0; i < root.textureCount; ++i) json.value(root.textures[i]);
            json.endArray();
            break;
        }
        case NODE_DOF: {
            const auto& dof = static_cast<const DofNode&>(node);
            json.field("dof", dof.dofId);
            writeMatrix(json, "rotation", dof.rotation);
            writeVec3(json, "translation", dof.translation);
            break;
        }
        case NODE_TRANSLATOR:
        case NODE_SCALE: {
            const auto& translator = static_cast<const TranslatorNode&>(node);
            writeLimits(json, translator, translator.flags);
            writeVec3(json, "vector", translator.vector);
            if (node.type == NODE_SCALE) writeVec3(json, "opaqueVector", static_cast<const ScaleNode&>(node).opaqueVector);
            break;
        }
        case NODE_XDOF: {
            const auto& xdof = static_cast<const XDofNode&>(node);
            // The flags as the record holds them, without the reader's mark.
            writeLimits(json, xdof, static_cast<int32_t>(static_cast<uint32_t>(xdof.flags) & ~kXDofReaderBit));
            writeMatrix(json, "rotation", xdof.rotation);
            writeVec3(json, "translation", xdof.translation);
            break;
        }
        default:
            break;
    }
    json.key("chain");
    writeLodChain(json, node.firstChild.get(), false);
    json.endObject();
    return json.text();
}

// Adds `"name": value` at the end of a JSON object's text.
void addField(std::string& object, const char* name, const std::string& value) {
    object.pop_back();
    object += ",\"";
    object += name;
    object += "\":";
    object += value;
    object += '}';
}

std::string simpleExtras(const char* type, int32_t offset) {
    JsonWriter json;
    json.beginObject();
    json.field("type", type);
    json.field("offset", offset);
    json.endObject();
    return json.text();
}

std::string numbered(const char* prefix, int64_t number) { return std::string(prefix) + " " + std::to_string(number); }

}  // namespace

GltfSceneBuilder::GltfSceneBuilder(const GltfExportOptions& options, GltfDocument& document,
                                   GltfExportReport& report)
    : options_(options), document_(document), report_(report), vertexTables_(options.scale) {}

GltfSceneBuilder::~GltfSceneBuilder() = default;

int32_t GltfSceneBuilder::addNode(std::string name, std::string lodExtras) {
    GltfNode node;
    node.name = std::move(name);
    node.lodExtras = std::move(lodExtras);
    document_.nodes.push_back(std::move(node));
    const int32_t index = static_cast<int32_t>(document_.nodes.size() - 1);
    if (parent() < 0) {
        document_.sceneNodes.push_back(index);
    } else {
        document_.nodes[static_cast<size_t>(parent())].children.push_back(index);
    }
    return index;
}

int32_t GltfSceneBuilder::addTransformNodes(const std::string& name, const std::string& splitName,
                                            const char* splitType, int32_t offset, std::string lodExtras,
                                            const Mat3& rotation, const Vec3& translation) {
    const NodeTransform transform = gltfNodeTransform(rotation, translation, options_.scale);
    if (!transform.finite) ++report_.transformsReplaced;
    const int32_t index = addNode(name, std::move(lodExtras));
    GltfNode& node = document_.nodes[static_cast<size_t>(index)];
    node.hasTransform = true;
    node.translation = transform.translation;
    node.rotation = transform.rotation;
    node.scale = transform.scale;
    if (!transform.split) return index;
    parents_.push_back(index);
    const int32_t shear = addNode(splitName, simpleExtras(splitType, offset));
    parents_.pop_back();
    GltfNode& shearNode = document_.nodes[static_cast<size_t>(shear)];
    shearNode.hasTransform = true;
    shearNode.rotation = transform.shear;
    return shear;
}

bool GltfSceneBuilder::openContainer(const SubTreeNode& node, int32_t mesh) {
    // The start container: its siblings stand beside it at the top.
    const bool isStart = mesh == 0 && parents_.empty();
    int32_t meshNode = -1;
    int32_t childParent = -1;
    switch (node.type) {
        case NODE_DOF: {
            const auto& dof = static_cast<const DofNode&>(node);
            const std::string name = numbered("DOF", dof.dofId);
            meshNode = addTransformNodes(name, name + " shear", "DOF shear", node.recordOffset, containerExtras(node),
                                         dof.rotation, dof.translation);
            childParent = meshNode;
            break;
        }
        case NODE_XDOF: {
            // The XDOF's own vertices stay as stored; its transform reaches
            // only what hangs below it, through the frame node.
            const auto& xdof = static_cast<const XDofNode&>(node);
            const std::string name = numbered("XDOF", xdof.dofId);
            meshNode = addNode(name, containerExtras(node));
            parents_.push_back(meshNode);
            childParent = addTransformNodes(name + " frame", name + " frame shear", "XDOF frame shear",
                                            node.recordOffset, simpleExtras("XDOF frame", node.recordOffset),
                                            xdof.rotation, xdof.translation);
            parents_.pop_back();
            break;
        }
        case NODE_TRANSLATOR:
        case NODE_SCALE:
            meshNode = addNode(numbered(typeName(node.type), static_cast<const DofLimitsNode&>(node).dofId),
                               containerExtras(node));
            childParent = meshNode;
            break;
        default:
            meshNode = addNode(typeName(node.type), containerExtras(node));
            childParent = meshNode;
            break;
    }
    if (meshes_.size() <= static_cast<size_t>(mesh)) meshes_.resize(static_cast<size_t>(mesh) + 1);
    OpenMesh& open = meshes_[static_cast<size_t>(mesh)];
    open.node = meshNode;
    if (options_.importData) open.records = std::make_unique<LodRecordStream>(node, options_.flipV);
    if (isStart) {
        JsonWriter after;
        writeLodChain(after, node.next.get(), false);
        addField(document_.nodes[static_cast<size_t>(meshNode)].lodExtras, "after", after.text());
    }
    if (node.vertexCount > 0) {
        // Named like the 3DS object of the same container.
        open.name = meshName(objectsNumbered_++);
        open.builder = std::make_unique<GltfMeshBuilder>(node, options_, report_, vertexTables_);
    }
    parents_.push_back(childParent);
    return true;
}

void GltfSceneBuilder::containerChildrenDone(const SubTreeNode&, int32_t) { parents_.pop_back(); }

void GltfSceneBuilder::closeContainer(const SubTreeNode&, int32_t mesh) {
    OpenMesh& open = meshes_[static_cast<size_t>(mesh)];
    std::vector<GltfPrimitiveSource> sources;
    std::vector<int32_t> groupTriangles;
    if (open.builder) {
        if (finished_.size() <= static_cast<size_t>(mesh)) finished_.resize(static_cast<size_t>(mesh) + 1);
        finished_[static_cast<size_t>(mesh)] = open.builder->finish(document_, sources, groupTriangles);
        open.builder.reset();
    }
    if (open.records && open.records->worthWriting()) {
        const int32_t view = open.records->write(document_, sources, groupTriangles);
        addField(document_.nodes[static_cast<size_t>(open.node)].lodExtras, "records", std::to_string(view));
        open.records.reset();
    }
}

bool GltfSceneBuilder::primitiveHolder(int32_t mesh, const LodNode& holder) {
    OpenMesh& open = meshes_[static_cast<size_t>(mesh)];
    if (!open.records) return true;
    // The records repeat what the walk looks at, so they are bounded alike.
    const int64_t words = LodRecordStream::holderWords(holder);
    const int64_t limit = options_.elementLimit > INT64_MAX / 8 ? INT64_MAX : 8 * options_.elementLimit;
    if (words > limit - recordWords_) {
        report_.failure = "Model too large to export: its primitive records pass " + std::to_string(limit) +
                          " words for a file of this size";
        return false;
    }
    recordWords_ += words;
    open.records->addHolder(holder);
    return true;
}

void GltfSceneBuilder::finishMeshes() {
    for (size_t i = 0; i < finished_.size(); ++i) {
        if (finished_[i].empty()) continue;
        GltfMesh mesh;
        mesh.name = meshes_[i].name;
        mesh.primitives = std::move(finished_[i]);
        document_.meshes.push_back(std::move(mesh));
        document_.nodes[static_cast<size_t>(meshes_[i].node)].mesh = static_cast<int32_t>(document_.meshes.size() - 1);
    }
    finished_.clear();
}

bool GltfSceneBuilder::withinLimit(int64_t adding) {
    if (adding <= options_.elementLimit - examined_) {
        examined_ += adding;
        return true;
    }
    report_.failure = "Model too large to export: more than " + std::to_string(options_.elementLimit) +
                      " faces, points and line segments for a file of this size";
    return false;
}

int32_t GltfSceneBuilder::materialFor(const Primitive& primitive, int32_t flags, bool withTexCoords) {
    const bool textured = (flags & PRIM_TEXTURE) != 0;
    const bool alpha = (flags & (PRIM_ALPHA | PRIM_TEXALPHA)) != 0;
    const bool clip = (flags & PRIM_CLIP) != 0;
    // A primitive of one colour other than 0 gets a material of that
    // colour: tools that merge primitives by material (Blender) keep it
    // there, where they drop the primitive's own extras.
    int32_t color = 0;
    if (!options_.importData || !singleColorOf(primitive, flags, color)) color = 0;
    // Untextured primitives of colour 0 without alpha or clip use the
    // default material.
    if (!textured && !alpha && !clip && color == 0) return -1;
    const int32_t texture = textured ? primitive.textureId() : -1;
    // An image can only be given to primitives with texture coordinates.
    const bool withImage = textured && withTexCoords && !options_.texturePattern.empty();
    const MaterialKey key{texture, color, (alpha ? 4u : 0u) | (clip ? 2u : 0u) | (withImage ? 1u : 0u)};
    const auto found = materials_.find(key);
    if (found != materials_.end()) return found->second;

    GltfMaterial material;
    // "texture 3", "texture 3 color 5", "color 5", "untextured" (colour 0),
    // then " alpha" and " clip".
    material.name = textured ? numbered("texture", texture) : std::string();
    if (color != 0) material.name += (textured ? " " : "") + numbered("color", color);
    if (material.name.empty()) material.name = "untextured";
    if (alpha) material.name += " alpha";
    if (clip) material.name += " clip";
    material.color = color;
    material.texture = texture;
    material.alpha = alpha;
    material.clip = clip;
    if (withImage) {
        const auto image = images_.find(texture);
        if (image != images_.end()) {
            material.image = image->second;
        } else {
            std::string uri = options_.texturePattern;
            const std::string number = std::to_string(texture);
            for (size_t at = uri.find("{n}"); at != std::string::npos; at = uri.find("{n}", at + number.size()))
                uri.replace(at, 3, number);
            document_.images.push_back(uri);
            material.image = static_cast<int32_t>(document_.images.size() - 1);
            images_.emplace(texture, material.image);
        }
    }
    document_.materials.push_back(material);
    const int32_t index = static_cast<int32_t>(document_.materials.size() - 1);
    materials_.emplace(key, index);
    return index;
}

bool GltfSceneBuilder::polygonFan(int32_t mesh, const Primitive& primitive, const LodNode&, const FanOutcome& fan) {
    // Point and line primitives are written as points and lines, not fans.
    if (isPointOrLinePrimitive(primitive)) return true;
    report_.facesOutOfRange += fan.dropped;
    GltfMeshBuilder* builder = meshes_[static_cast<size_t>(mesh)].builder.get();
    if (!builder || fan.kept.empty()) return true;
    if (!withinLimit(static_cast<int64_t>(fan.kept.size()))) return false;
    const int32_t flags = primitive.flags();
    const TexCoordTable texCoords = (flags & PRIM_TEXTURE) ? primitive.texCoords() : TexCoordTable{};
    const FanPlacement placement =
        builder->addFan(primitive, flags, fan, materialFor(primitive, flags, texCoords.present()), texCoords);
    if (OpenMesh& open = meshes_[static_cast<size_t>(mesh)]; open.records) open.records->placeFan(primitive, placement);
    return true;
}

bool GltfSceneBuilder::pointOrLinePrimitive(int32_t mesh, const Primitive& primitive, const LodNode&) {
    GltfMeshBuilder* builder = meshes_[static_cast<size_t>(mesh)].builder.get();
    const int32_t count = primitive.vertexIndices().count();
    if (!builder) {
        // A container without vertices: every index is out of range.
        if (primitive.type() == 0) report_.pointsOutOfRange += count;
        if (primitive.type() == 1 && count > 1) report_.segmentsOutOfRange += count - 1;
        return true;
    }
    if (!withinLimit(count)) return false;
    builder->addPointsOrLine(primitive);
    return true;
}

void GltfSceneBuilder::enterSwitch(const SwitchNode& node) {
    JsonWriter json;
    json.beginObject();
    json.field("type", typeName(node.type));
    json.field("offset", node.recordOffset);
    json.field("switch", node.switchId);
    json.field("branchCount", node.branchCount);
    if (node.type == NODE_XSWITCH) json.field("flags", static_cast<const XSwitchNode&>(node).flags);
    json.endObject();
    parents_.push_back(addNode(numbered(typeName(node.type), node.switchId), json.text()));
}

void GltfSceneBuilder::enterBranch(const SwitchNode& node, int32_t branch) {
    JsonWriter json;
    json.beginObject();
    json.field("type", "Switch branch");
    json.field("offset", node.branch(branch)->recordOffset);
    json.field("branch", branch);
    json.key("chain");
    writeLodChain(json, node.branch(branch), true);
    json.endObject();
    parents_.push_back(addNode(numbered(typeName(node.type), node.switchId) + " branch " + std::to_string(branch),
                               json.text()));
}

void GltfSceneBuilder::leaveBranch(const SwitchNode&, int32_t) { parents_.pop_back(); }
void GltfSceneBuilder::leaveSwitch(const SwitchNode&) { parents_.pop_back(); }

void GltfSceneBuilder::slot(const SlotNode& node) {
    JsonWriter json;
    json.beginObject();
    json.field("type", "Slot");
    json.field("offset", node.recordOffset);
    json.field("slot", node.slotId);
    writeMatrix(json, "rotation", node.rotation);
    writeVec3(json, "position", node.position);
    json.endObject();
    const std::string name = numbered("Slot", node.slotId);
    addTransformNodes(name, name + " shear", "Slot shear", node.recordOffset, json.text(), node.rotation,
                      node.position);
}

}  // namespace mevlo
