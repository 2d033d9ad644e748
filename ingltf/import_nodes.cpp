// glTF nodes as LOD nodes: the type from `extras.lod.type` or the name,
// record numbers from the extras, transforms always from the node's own
// matrix (and its helper children's), and what is neither folded into the
// transforms or vertices below it.
#include <algorithm>
#include <cmath>
#include <memory>
#include <cstdlib>
#include <string>
#include <utility>

#include "ingltf/import_context.h"
#include "ingltf/import_records.h"
#include "common/byte_order.h"
#include "lod/lod_model.h"
#include "lod/node_type.h"

namespace mevlo {

const nlohmann::json* lodExtras(const nlohmann::json& extras) {
    if (!extras.is_object()) return nullptr;
    const auto found = extras.find("lod");
    return found != extras.end() && found->is_object() ? &*found : nullptr;
}

bool hasExtra(const nlohmann::json* lod, const char* key) {
    return lod && lod->contains(key) && (*lod)[key].is_number();
}

double extraNumber(const nlohmann::json* lod, const char* key, double fallback) {
    if (!lod) return fallback;
    const auto found = lod->find(key);
    if (found == lod->end()) return fallback;
    if (found->is_number()) return found->get<double>();
    if (found->is_boolean()) return found->get<bool>() ? 1.0 : 0.0;
    return fallback;
}

namespace {

std::string extraString(const nlohmann::json* lod, const char* key) {
    if (!lod) return {};
    const auto found = lod->find(key);
    return found != lod->end() && found->is_string() ? found->get<std::string>() : std::string();
}

// A name without a duplicate suffix such as ".001".
std::string baseName(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot + 4 == name.size() &&
        std::all_of(name.begin() + static_cast<std::ptrdiff_t>(dot) + 1, name.end(),
                    [](char c) { return c >= '0' && c <= '9'; }))
        return name.substr(0, dot);
    return name;
}

// "Prefix n" -> n.
bool numberedName(const std::string& name, const char* prefix, int32_t& number) {
    const std::string p = std::string(prefix) + " ";
    if (name.compare(0, p.size(), p) != 0 || name.size() == p.size()) return false;
    char* end = nullptr;
    const long value = std::strtol(name.c_str() + p.size(), &end, 10);
    if (*end != '\0') return false;
    number = static_cast<int32_t>(value);
    return true;
}

struct Typed {
    std::string type;  // "DOF", "Switch branch", ... or "" for a plain node
    int32_t number = 0;
};

Typed typeOf(const GltfSceneNode& node) {
    Typed out;
    const nlohmann::json* lod = lodExtras(node.extras);
    out.type = extraString(lod, "type");
    if (!out.type.empty()) return out;
    const std::string name = baseName(node.name);
    if (name == "Root" || name == "SubTree") {
        out.type = name;
        return out;
    }
    for (const char* kind : {"DOF", "XDOF", "Translator", "Scale", "Slot", "Switch", "XSwitch"}) {
        if (numberedName(name, kind, out.number)) {
            out.type = kind;
            return out;
        }
    }
    return out;
}

int32_t codeOf(const std::string& type) {
    for (int32_t code = 1; code < kNodeTypeCount; ++code)
        if (type == NodeTypeTable[code].name) return code;
    return 0;
}

void readFloats(const nlohmann::json* lod, const char* key, float* out, size_t count) {
    if (!lod) return;
    const auto found = lod->find(key);
    if (found == lod->end() || !found->is_array() || found->size() != count) return;
    for (size_t i = 0; i < count; ++i)
        if ((*found)[i].is_number()) out[i] = (*found)[i].get<float>();
}

// `count` finite numbers of extras.lod[key] into out; false (out partly
// written) unless the key holds exactly that.
bool readFloatsIfAll(const nlohmann::json* lod, const char* key, float* out, size_t count) {
    const auto found = lod->find(key);
    if (found == lod->end() || !found->is_array() || found->size() != count) return false;
    for (size_t i = 0; i < count; ++i) {
        if (!(*found)[i].is_number()) return false;
        const double v = (*found)[i].get<double>();
        if (!std::isfinite(v) || std::fabs(v) > 3.4e38) return false;
        out[i] = static_cast<float>(v);
    }
    return true;
}

void readVec(const nlohmann::json* lod, const char* key, Vec3& v) {
    float values[3] = {v.x, v.y, v.z};
    readFloats(lod, key, values, 3);
    v = Vec3{values[0], values[1], values[2]};
}

// The record's matrix and translation (a Slot's position) from the node's
// transform. The extras' copy of them is used only where it agrees with the
// transform to a millionth: then it is the same matrix
// without the rounding of the quaternion a tool stored in single precision.
// An edit in a tool changes the transform and leaves the extras stale, and
// then the transform wins.
void setTransform(LodTreeRecord& r, const LodAffine& a, bool slot, const nlohmann::json* lod) {
    double largest = 0.0;
    for (const auto& row : a.m)
        for (double v : row) largest = std::max(largest, std::fabs(v));
    float stored[12];
    const bool haveStored = lod && readFloatsIfAll(lod, "rotation", stored, 9) &&
                            readFloatsIfAll(lod, slot ? "position" : "translation", stored + 9, 3);
    if (haveStored) {
        // Matrix values against the largest of them, the translation
        // against its own size (at least the matrix's).
        double reach = largest;
        for (double v : a.t) reach = std::max(reach, std::fabs(v));
        bool agrees = true;
        for (int i = 0; i < 12 && agrees; ++i) {
            const double value = i < 9 ? a.m[i / 3][i % 3] : a.t[i - 9];
            agrees = std::fabs(value - stored[i]) <= 1e-6 * (i < 9 ? largest : reach);
        }
        if (agrees) {
            std::copy(stored, stored + 9, r.rotation.begin());
            (slot ? r.position : r.translation) = Vec3{stored[9], stored[10], stored[11]};
            return;
        }
    }
    // Rounding in the export's decomposition leaves traces such as -0 or
    // 1e-17 where the matrix had 0; they are 0 again here.
    const auto clean = [largest](double v) {
        return static_cast<float>(std::fabs(v) <= largest * 1e-12 ? 0.0 : v + 0.0);
    };
    for (int i = 0; i < 9; ++i) r.rotation[static_cast<size_t>(i)] = clean(a.m[i / 3][i % 3]);
    const Vec3 t{static_cast<float>(a.t[0]), static_cast<float>(a.t[1]), static_cast<float>(a.t[2])};
    if (slot) {
        r.position = t;
    } else {
        r.translation = t;
    }
}

class NodeMapper {
public:
    explicit NodeMapper(ImportContext& context) : c_(context) {}

    bool failed() const { return !c_.report.failure.empty() || c_.budget.overdrawn(); }

    // Triangles the export's records brought back (the mesh path counts its own).
    int64_t recordTriangles() const {
        int64_t total = 0;
        for (const auto& reader : readers_) total += reader->triangles();
        return total;
    }

    // The LOD tree's top chain.
    LodTreeChain top() {
        const auto& roots = c_.scene.roots;
        std::vector<int32_t> sorted = sortedByOrder(roots);
        LodTreeChain chain;
        if (!sorted.empty() && typeOf(node(sorted[0])).type == "Root") {
            LodRecordReader* stream = nullptr;
            const int32_t root = visit(sorted[0], LodAffine{}, 0, &stream, nullptr, nullptr);
            if (root >= 0) c_.tree.append(chain, root);
            const nlohmann::json* lod = lodExtras(node(sorted[0]).extras);
            std::vector<int32_t> rest(sorted.begin() + 1, sorted.end());
            buildChain(chain, lod && lod->contains("after") ? &(*lod)["after"] : nullptr, lod, rest, LodAffine{}, 0, stream, false);
            return chain;
        }
        // Anyone's scene: one Root holds every top node.
        const int32_t root = c_.tree.addNode(NODE_ROOT);
        LodTreeChain children;
        buildChain(children, nullptr, nullptr, sorted, LodAffine{}, 0, nullptr, false);
        c_.tree.record(root).children = children;
        c_.tree.append(chain, root);
        return chain;
    }

private:
    const GltfSceneNode& node(int32_t index) const { return c_.scene.nodes[static_cast<size_t>(index)]; }

    // Appends the nodes of `more` (a chain of its own) to `chain`.
    void appendChain(LodTreeChain& chain, const LodTreeChain& more) {
        for (int32_t n = more.head; n >= 0;) {
            const int32_t following = c_.tree.node(n).next;
            c_.tree.node(n).next = -1;
            c_.tree.append(chain, n);
            n = following;
        }
    }

    // Children in the order their `order` extras give (a tool may have
    // sorted them by name), the others after them as they come.
    std::vector<int32_t> sortedByOrder(const std::vector<int32_t>& children) const {
        std::vector<std::pair<double, int32_t>> keyed;
        for (size_t i = 0; i < children.size(); ++i) {
            const double order = extraNumber(lodExtras(node(children[i]).extras), "order", 1e18 + static_cast<double>(i));
            keyed.emplace_back(order, children[i]);
        }
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<int32_t> out;
        for (const auto& k : keyed) out.push_back(k.second);
        return out;
    }

    // The child of `parent` that is its helper of the given type or name.
    int32_t helper(int32_t parent, const char* type, const std::string& name) const {
        for (int32_t child : node(parent).children) {
            const GltfSceneNode& n = node(child);
            if (extraString(lodExtras(n.extras), "type") == type || baseName(n.name) == name) return child;
        }
        return -1;
    }

    LodAffine local(int32_t index) const { return lodAffineOf(node(index).matrix, c_.options.scale); }

    // A node's transform with its shear child folded in; `host` becomes
    // the node that holds the children.
    LodAffine withShear(int32_t index, const char* shearType, int32_t& host) const {
        host = index;
        LodAffine a = local(index);
        const int32_t shear = helper(index, shearType, baseName(node(index).name) + " shear");
        if (shear >= 0) {
            a = a.after(local(shear));
            host = shear;
        }
        return a;
    }

    std::vector<int32_t> childrenWithout(int32_t host, int32_t skip) const {
        std::vector<int32_t> out;
        for (int32_t child : node(host).children)
            if (child != skip) out.push_back(child);
        return sortedByOrder(out);
    }

    // Fills a chain from a chain description (or, without one, from the
    // glTF children in order). `stream` is the records view holders come
    // from; in a branch (or after the start) a container that comes first
    // lends its own.
    void buildChain(LodTreeChain& chain, const nlohmann::json* items, const nlohmann::json* /*owner*/,
                    const std::vector<int32_t>& children, const LodAffine& pending, int depth,
                    LodRecordReader* stream, bool firstLends) {
        size_t next = 0;
        bool first = true;
        if (items && items->is_array()) {
            for (const nlohmann::json& item : *items) {
                if (failed()) return;
                const std::string type = item.is_object() ? extraString(&item, "type") : std::string();
                if (type == "Child") {
                    if (next >= children.size()) continue;
                    LodRecordReader* own = nullptr;
                    LodTreeChain after;
                    const int32_t lod = visit(children[next++], pending, depth + 1, &own, stream, &after);
                    if (lod >= 0) c_.tree.append(chain, lod);
                    appendChain(chain, after);
                    if (first && firstLends && own) stream = own;
                } else if (type == "Primitives") {
                    // Without the records (a tool dropped the view) the
                    // mesh's triangles already stand in the container.
                    const double count = extraNumber(&item, "count", 0);
                    for (double i = 0; i < count && stream; ++i) {
                        const int32_t holder = stream->nextHolder(c_.tree, c_.budget);
                        if (holder < 0) break;
                        c_.tree.append(chain, holder);
                    }
                } else if (item.is_object()) {
                    const int32_t lod = inlineNode(item, pending, depth, stream);
                    if (lod >= 0) c_.tree.append(chain, lod);
                }
                first = false;
            }
        }
        // Children the description does not name (added by hand, or no
        // description at all).
        for (; next < children.size() && !failed(); ++next) {
            LodTreeChain after;
            const int32_t lod = visit(children[next], pending, depth + 1, nullptr, stream, &after);
            if (lod >= 0) c_.tree.append(chain, lod);
            appendChain(chain, after);
        }
    }

    int32_t inlineNode(const nlohmann::json& item, const LodAffine& pending, int depth, LodRecordReader* stream) {
        if (!c_.charge(kNodeBytes)) return -1;
        const nlohmann::json* lod = &item;
        const std::string type = extraString(lod, "type");
        LodTree& tree = c_.tree;
        if (type == "Split") {
            const int32_t split = tree.addNode(NODE_SPLIT);
            float plane[4] = {0, 0, 0, 0};
            readFloats(lod, "plane", plane, 4);
            LodTreeChain a, b;
            const std::vector<int32_t> none;
            buildChain(a, item.contains("a") ? &item["a"] : nullptr, nullptr, none, pending, depth + 1, stream, false);
            buildChain(b, item.contains("b") ? &item["b"] : nullptr, nullptr, none, pending, depth + 1, stream, false);
            LodTreeRecord& r = tree.record(split);
            std::copy(plane, plane + 4, r.plane.begin());
            r.branchA = a;
            r.branchB = b;
            return split;
        }
        if (type == "LitString") return tree.addNode(NODE_LITSTRING);
        if (type == "RCNode") {
            const int32_t rc = tree.addNode(NODE_RCNODE);
            LodTreeRecord& r = tree.record(rc);
            r.rcType = static_cast<int32_t>(extraNumber(lod, "rcType", 0));
            const auto data = item.find("data");
            if (data != item.end() && data->is_array() && data->size() == 8) {
                for (size_t i = 0; i < 8; ++i) {
                    const auto w = static_cast<uint32_t>((*data)[i].is_number() ? (*data)[i].get<int64_t>() : 0);
                    storeU32LE(r.rcData.data() + 4 * i, w);
                }
            }
            return rc;
        }
        if (type == "SpecialX") {
            const int32_t special = tree.addNode(NODE_SPECIALX);
            LodTreeRecord& r = tree.record(special);
            r.specialType = static_cast<int32_t>(extraNumber(lod, "special", 0));
            const auto vertices = item.find("vertices");
            if (vertices != item.end() && vertices->is_array()) {
                for (size_t i = 0; i + 2 < vertices->size(); i += 3) {
                    float v[3];
                    for (size_t k = 0; k < 3; ++k) v[k] = (*vertices)[i + k].is_number() ? (*vertices)[i + k].get<float>() : 0.0f;
                    r.vertices.push_back(pending.point(Vec3{v[0], v[1], v[2]}));
                }
            }
            return special;
        }
        if (type == "Root") return tree.addNode(NODE_ROOT);
        return -1;
    }

    void containerNumbers(LodTreeRecord& r, int32_t code, const nlohmann::json* lod, const Typed& typed) {
        r.opaqueA = static_cast<int32_t>(extraNumber(lod, "opaqueA", 0));
        r.opaqueB = static_cast<int32_t>(extraNumber(lod, "opaqueB", 0));
        r.script = static_cast<int32_t>(extraNumber(lod, "script", 0));
        if (lod && lod->contains("textures") && (*lod)["textures"].is_array())
            for (const auto& t : (*lod)["textures"])
                if (t.is_number()) r.textures.push_back(static_cast<int32_t>(t.get<double>()));
        r.dofId = static_cast<int32_t>(extraNumber(lod, "dof", typed.number));
        r.minimum = static_cast<float>(extraNumber(lod, "minimum", 0));
        r.maximum = static_cast<float>(extraNumber(lod, "maximum", 0));
        r.multiplier = static_cast<float>(extraNumber(lod, "multiplier", 1));
        r.opaqueValue = static_cast<float>(extraNumber(lod, "opaqueValue", 0));
        r.flags = static_cast<int32_t>(extraNumber(lod, "flags", 0));
        readVec(lod, "vector", r.vector);
        if (code == NODE_SCALE) readVec(lod, "opaqueVector", r.opaqueVector);
    }

    // The LOD node of glTF node `index` (-1 for none); `ownStream` gets
    // the records view of a container.
    int32_t visit(int32_t index, const LodAffine& pendingIn, int depth, LodRecordReader** ownStream,
                  LodRecordReader* enclosing, LodTreeChain* siblings) {
        if (depth > kMaxNestingDepth) {
            c_.report.failure = "Node tree deeper than " + std::to_string(kMaxNestingDepth) + " levels";
            return -1;
        }
        if (!c_.charge(kNodeBytes)) return -1;
        ++c_.report.nodes;
        const GltfSceneNode& gnode = node(index);
        const nlohmann::json* lod = lodExtras(gnode.extras);
        const Typed typed = typeOf(gnode);
        const int32_t code = codeOf(typed.type);
        LodTree& tree = c_.tree;
        if (code == NODE_SWITCH || code == NODE_XSWITCH) return switchNode(index, code, typed, pendingIn, depth, enclosing);
        if (code == NODE_SLOT) {
            int32_t host = index;
            const LodAffine a = pendingIn.after(withShear(index, "Slot shear", host));
            const int32_t slot = tree.addNode(NODE_SLOT);
            LodTreeRecord& r = tree.record(slot);
            r.slotId = static_cast<int32_t>(extraNumber(lod, "slot", typed.number));
            setTransform(r, a, true, lod);
            return slot;
        }
        const int32_t lodCode = isGeometryNodeType(code) ? code : NODE_SUBTREE;
        const int32_t container = tree.addNode(lodCode);
        int32_t host = index;  // holds the children and the mesh
        int32_t meshHost = index;
        LodAffine bake = pendingIn;       // what the container's own vertices take
        LodAffine childPending;           // what its children take
        if (lodCode == NODE_DOF) {
            const LodAffine a = pendingIn.after(withShear(index, "DOF shear", host));
            setTransform(tree.record(container), a, false, lod);
            bake = LodAffine{};
            meshHost = host;
        } else if (lodCode == NODE_XDOF) {
            bake = pendingIn.after(local(index));
            const int32_t frame = helper(index, "XDOF frame", baseName(gnode.name) + " frame");
            LodAffine frameAffine;
            if (frame >= 0) frameAffine = withShear(frame, "XDOF frame shear", host);
            setTransform(tree.record(container), bake.after(frameAffine), false, lod);
        } else {
            bake = pendingIn.after(local(index));
            childPending = bake;
        }
        containerNumbers(tree.record(container), lodCode, lod, typed);

        // The mesh and the records that describe it.
        const int32_t meshIndex = node(meshHost).mesh >= 0 ? node(meshHost).mesh : gnode.mesh;
        const GltfSceneMesh* mesh =
            meshIndex >= 0 && static_cast<size_t>(meshIndex) < c_.scene.meshes.size() ? &c_.scene.meshes[static_cast<size_t>(meshIndex)] : nullptr;
        const nlohmann::json* meshLod = lodExtras(node(meshHost).extras);
        double view = extraNumber(lod, "records", extraNumber(meshLod, "records", -1));
        LodRecordReader* stream = nullptr;
        if (view >= 0 && view < static_cast<double>(c_.scene.bufferViews.size())) {
            // Reading the view and the tables it restores come out of the
            // budget; a view the file cannot pay for is not used (the mesh
            // is mapped as any glTF mesh is, which pays its own way).
            const GltfScene::ByteView& bytes = c_.scene.bufferViews[static_cast<size_t>(view)];
            auto reader = std::make_unique<LodRecordReader>();
            if (c_.budget.tryCharge(bytes.size) && reader->open(bytes, mesh) &&
                c_.budget.tryCharge(tableBytes(*reader, meshOrNone(mesh)))) {
                stream = reader.get();
                readers_.push_back(std::move(reader));
            }
        }
        LodTreeChain children;
        LodTreeChain overflow;
        if (stream) {
            restoreTables(container, *stream, meshOrNone(mesh), bake);
        } else if (mesh) {
            addMeshPrimitives(c_, container, *mesh, bake, children, overflow);
        }
        if (ownStream) *ownStream = stream;

        // Children: the helper nodes are not children of their own.
        int32_t skip = -1;
        if (lodCode == NODE_XDOF) skip = helper(index, "XDOF frame", baseName(gnode.name) + " frame");
        const std::vector<int32_t> kids = childrenWithout(host, host == index ? skip : -1);
        const nlohmann::json* chainItems = lod && lod->contains("chain") ? &(*lod)["chain"] : nullptr;
        buildChain(children, chainItems, lod, kids, childPending, depth, stream, false);
        // Vertices past the limit went to further SubTrees, whose vertices
        // are in the frame of the container's own. They follow the container
        // as its siblings, in the same frame, unless its own vertices are
        // moved by its transform (a DOF) or it has no siblings (the Root):
        // then they are its last children. An XDOF's transform moves only
        // what lies below it, so its overflow must not go there.
        if (!overflow.empty()) {
            if (siblings && lodCode != NODE_DOF && lodCode != NODE_ROOT) {
                appendChain(*siblings, overflow);
            } else {
                appendChain(children, overflow);
            }
        }
        tree.record(container).children = children;
        return container;
    }

    // Records may describe a container whose node has no mesh (all its
    // primitives were points or faces the export dropped): no primitives.
    static const GltfSceneMesh& meshOrNone(const GltfSceneMesh* mesh) {
        static const GltfSceneMesh none;
        return mesh ? *mesh : none;
    }

    // What restoreTables builds and reads for a view that was opened.
    static uint64_t tableBytes(const LodRecordReader& stream, const GltfSceneMesh& mesh) {
        uint64_t bytes = sizeof(Vec3) * (uint64_t{static_cast<uint32_t>(stream.vertexCount())} + stream.normals.size());
        for (size_t p = 0; p < mesh.primitives.size(); ++p)
            if (stream.ownsMap(p)) bytes += 4 * (mesh.primitives[p].positions.size() / 3);
        return bytes;
    }

    // The tables move from the reader, which needs only its holders after.
    void restoreTables(int32_t container, LodRecordReader& stream, const GltfSceneMesh& mesh, const LodAffine& bake) {
        LodTreeRecord& r = c_.tree.record(container);
        r.vertices.assign(static_cast<size_t>(stream.vertexCount()), Vec3{});
        for (size_t p = 0; p < mesh.primitives.size(); ++p) {
            if (!stream.ownsMap(p)) continue;
            const GltfScenePrimitive& prim = mesh.primitives[p];
            const size_t count = prim.positions.size() / 3;
            const float* positions = prim.positions.data();
            if (bake.isIdentity()) {
                for (size_t j = 0; j < count; ++j)
                    r.vertices[stream.lodVertex(p, j)] = lodVectorOf(positions + 3 * j, c_.options.scale);
            } else {
                for (size_t j = 0; j < count; ++j)
                    r.vertices[stream.lodVertex(p, j)] = bake.point(lodVectorOf(positions + 3 * j, c_.options.scale));
            }
        }
        for (const auto& m : stream.missing) r.vertices[static_cast<size_t>(m.first)] = m.second;
        stream.missing = {};
        r.normals = std::move(stream.normals);
        stream.normals = {};
        if (!bake.isIdentity())
            for (Vec3& n : r.normals) n = bake.direction(n);
    }

    int32_t switchNode(int32_t index, int32_t code, const Typed& typed, const LodAffine& pendingIn, int depth,
                       LodRecordReader* enclosing) {
        const GltfSceneNode& gnode = node(index);
        const nlohmann::json* lod = lodExtras(gnode.extras);
        const LodAffine pending = pendingIn.after(local(index));
        const int32_t sw = c_.tree.addNode(code);
        const std::string branchPrefix = baseName(gnode.name) + " branch";
        const std::vector<int32_t> kids = sortedByOrder(gnode.children);
        // Branch k from a child marked or named as branch k; without any,
        // every child is a branch in order.
        std::vector<std::pair<int32_t, int32_t>> branches;  // (k, glTF node)
        for (int32_t child : kids) {
            const GltfSceneNode& n = node(child);
            const nlohmann::json* childLod = lodExtras(n.extras);
            int32_t k = -1;
            if (extraString(childLod, "type") == "Switch branch") {
                k = static_cast<int32_t>(extraNumber(childLod, "branch", -1));
            } else {
                numberedName(baseName(n.name), branchPrefix.c_str(), k);
            }
            if (k >= 0 && k < kMaxSwitchBranchesImport) branches.emplace_back(k, child);
        }
        const bool marked = !branches.empty();
        if (!marked)
            for (size_t i = 0; i < kids.size(); ++i) branches.emplace_back(static_cast<int32_t>(i), -kids[i] - 2);
        int32_t count = static_cast<int32_t>(extraNumber(lod, "branchCount", 0));
        for (const auto& b : branches) count = std::max(count, b.first + 1);
        count = std::min(count, kMaxSwitchBranchesImport);
        if (!c_.charge(sizeof(LodTreeChain) * static_cast<uint64_t>(std::max(count, 0)))) return sw;
        std::vector<LodTreeChain> chains(static_cast<size_t>(std::max(count, 0)));
        for (const auto& b : branches) {
            if (failed()) break;
            LodTreeChain& chain = chains[static_cast<size_t>(b.first)];
            if (b.second >= 0) {
                // A branch node: its children are the branch chain.
                const GltfSceneNode& bn = node(b.second);
                const nlohmann::json* bl = lodExtras(bn.extras);
                const LodAffine inner = pending.after(local(b.second));
                buildChain(chain, bl && bl->contains("chain") ? &(*bl)["chain"] : nullptr, bl, sortedByOrder(bn.children),
                           inner, depth + 1, enclosing, true);
            } else {
                LodTreeChain after;
                const int32_t lodNode = visit(-b.second - 2, pending, depth + 1, nullptr, enclosing, &after);
                if (lodNode >= 0) c_.tree.append(chain, lodNode);
                appendChain(chain, after);
            }
        }
        LodTreeRecord& r = c_.tree.record(sw);
        r.switchId = static_cast<int32_t>(extraNumber(lod, "switch", typed.number));
        if (code == NODE_XSWITCH) r.flags = static_cast<int32_t>(extraNumber(lod, "flags", 0));
        r.branches = std::move(chains);
        return sw;
    }

    // Branch numbers beyond this are not made (a switch holds 50; a
    // larger count would be a crafted file's).
    static constexpr int32_t kMaxSwitchBranchesImport = 4096;

    // What a node's record costs in the tree, before its tables.
    static constexpr uint64_t kNodeBytes = sizeof(LodTreeNode) + sizeof(LodTreeRecord);

    ImportContext& c_;
    std::vector<std::unique_ptr<LodRecordReader>> readers_;
};

}  // namespace

namespace {

// Room for what the export's records will add, made once: the tree of a
// large model would otherwise be copied as it grows. The records' claims
// are believed only as far as the file's size could justify them.
void makeRoomForRecords(ImportContext& context) {
    const GltfScene& scene = context.scene;
    uint64_t budget = 0;
    for (const auto& view : scene.bufferViews) budget += view.size;
    for (const auto& mesh : scene.meshes)
        for (const auto& p : mesh.primitives) budget += p.indices.size();
    std::vector<uint8_t> seen(scene.bufferViews.size(), 0);
    LodRecordClaims total;
    for (const GltfSceneNode& node : scene.nodes) {
        const double view = extraNumber(lodExtras(node.extras), "records", -1);
        if (!(view >= 0 && view < static_cast<double>(scene.bufferViews.size()))) continue;
        const auto index = static_cast<size_t>(view);
        if (seen[index]) continue;
        seen[index] = 1;
        const LodRecordClaims claims = lodRecordClaims(scene.bufferViews[index]);
        total.holders += claims.holders;
        total.primitives += claims.primitives;
        total.ints += claims.ints;
        total.floats += claims.floats;
    }
    const auto capped = [budget](uint64_t claim) { return static_cast<size_t>(claim < budget ? claim : budget); };
    // Only a hint: none at all where it would pass what the import may take.
    const uint64_t bytes = sizeof(LodTreeNode) * capped(total.holders + scene.nodes.size()) +
                           sizeof(LodTreePrimitive) * capped(total.primitives) + 4 * capped(total.ints) +
                           4 * capped(total.floats);
    if (bytes > context.budget.left()) return;
    context.tree.reserve(capped(total.holders + scene.nodes.size()), capped(total.primitives), capped(total.ints),
                         capped(total.floats));
}

}  // namespace

bool mapGltfNodes(ImportContext& context, LodTreeChain& top) {
    makeRoomForRecords(context);
    NodeMapper mapper(context);
    top = mapper.top();
    context.report.triangles += mapper.recordTriangles();
    return context.report.failure.empty();
}

}  // namespace mevlo
