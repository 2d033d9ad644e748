#include "lod_builder.h"

#include <cstring>
#include <utility>

#include "common/byte_order.h"
#include "lod/build/lod_tree.h"
#include "lod/primitive.h"

namespace lodtest {

using namespace mevlo;

int32_t floatWord(float value) { return static_cast<int32_t>(bitsOfFloat(value)); }

Prim prim(int32_t type, std::vector<int32_t> vertexIndices) {
    Prim p;
    p.type = type;
    p.vertices = std::move(vertexIndices);
    const int32_t bits = primitiveFlagsOf(type);
    const size_t n = p.vertices.size();
    for (size_t i = 0; i < n; ++i) {
        if (bits & PRIM_COLORS) p.colors.push_back(static_cast<int32_t>(10 + i));
        if (bits & PRIM_NORMALS) p.normals.push_back(static_cast<int32_t>(i));
        if (bits & PRIM_TEXTURE) p.uv.push_back({0.25f * static_cast<float>(i), 1.0f - 0.25f * static_cast<float>(i)});
    }
    return p;
}

namespace {

Node containerNode(int32_t code, std::vector<Vec3> vertices, Chain children) {
    Node n;
    n.code = code;
    n.vertices = std::move(vertices);
    n.children = std::move(children);
    return n;
}

// The test tree as the core's tree; labelled nodes remember their index.
class Converter {
public:
    LodTree tree;
    std::vector<std::pair<std::string, int32_t>> labels;
    // Primitives whose stored count must differ, by primitive index.
    std::vector<std::pair<int32_t, int32_t>> countOverrides;

    LodTreeChain chain(const Chain& nodes) {
        LodTreeChain c;
        for (const Node& n : nodes) tree.append(c, node(n));
        return c;
    }

private:
    int32_t node(const Node& n) {
        const int32_t index = tree.addNode(n.code);
        if (n.typeWord) tree.node(index).typeWord = *n.typeWord;
        if (!n.label.empty()) labels.emplace_back(n.label, index);
        if (n.code == NODE_PT || n.code == NODE_CP) {
            primitive(index, n.prim);
            return index;
        }
        if (n.code == NODE_LP) {
            primitive(index, n.prim);
            primitive(index, n.sideB);
            return index;
        }
        LodTreeRecord& r = tree.record(index);
        r.vertices = n.vertices;
        r.normals = n.normals;
        r.opaqueA = n.opaqueA;
        r.opaqueB = n.opaqueB;
        r.textures = n.textures;
        r.script = n.script;
        r.dofId = n.dofId;
        r.rotation = n.rotation;
        r.translation = n.translation;
        r.minimum = n.minimum;
        r.maximum = n.maximum;
        r.multiplier = n.multiplier;
        r.opaqueValue = n.opaqueValue;
        r.flags = n.flags;
        r.vector = n.vector;
        r.opaqueVector = n.opaqueVector;
        r.position = n.position;
        r.slotId = n.slotId;
        r.switchId = n.switchId;
        r.plane = n.plane;
        r.specialType = n.specialType;
        r.rcType = n.rcType;
        r.rcData = n.rcData;
        // Children after the record's own fields: the record may move as
        // the tree grows.
        const LodTreeChain children = chain(n.children);
        std::vector<LodTreeChain> branches;
        for (const Chain& b : n.branches) branches.push_back(chain(b));
        const LodTreeChain a = chain(n.branchA);
        const LodTreeChain b = chain(n.branchB);
        LodTreeRecord& again = tree.record(index);
        again.children = children;
        again.branches = std::move(branches);
        again.branchA = a;
        again.branchB = b;
        return index;
    }

    void primitive(int32_t holder, const Prim& p) {
        const auto n = static_cast<int32_t>(p.vertices.size());
        const int32_t index = tree.addPrimitive(holder, p.type, n);
        LodTreePrimitive& out = tree.primitive(index);
        out.polyData = p.polyData;
        out.color = p.color;
        out.normal = p.normal;
        out.textureId = p.textureId;
        const int32_t bits = primitiveFlagsOf(p.type);
        // Blocks shorter than the vertices read as zeros, as before.
        const auto copy = [n](int32_t* to, const std::vector<int32_t>& from) {
            for (int32_t i = 0; i < n && static_cast<size_t>(i) < from.size(); ++i) to[i] = from[static_cast<size_t>(i)];
        };
        copy(tree.ints(out.vertices), p.vertices);
        if (bits & PRIM_COLORS) copy(tree.ints(out.colors()), p.colors);
        if (bits & PRIM_NORMALS) copy(tree.ints(out.normals()), p.normals);
        if (bits & PRIM_TEXTURE) {
            float* uv = tree.floats(out.texCoords);
            for (int32_t i = 0; i < n && static_cast<size_t>(i) < p.uv.size(); ++i) {
                uv[2 * i] = p.uv[static_cast<size_t>(i)][0];
                uv[2 * i + 1] = p.uv[static_cast<size_t>(i)][1];
            }
        }
        if (p.countOverride) countOverrides.emplace_back(index, *p.countOverride);
    }
};

void putInt32(std::vector<uint8_t>& bytes, int64_t position, int32_t value) {
    storeU32LE(bytes.data() + position, static_cast<uint32_t>(value));
}

}  // namespace

std::vector<int32_t> creationOrder(const Chain& chain) {
    Converter converter;
    const LodTreeChain top = converter.chain(chain);
    return lodCreationOrder(converter.tree, top);
}

Node root(std::vector<Vec3> vertices, Chain children) {
    return containerNode(NODE_ROOT, std::move(vertices), std::move(children));
}
Node subTree(std::vector<Vec3> vertices, Chain children) {
    return containerNode(NODE_SUBTREE, std::move(vertices), std::move(children));
}
Node dof(Matrix rotation, Vec3 translation, std::vector<Vec3> vertices, Chain children) {
    Node n = containerNode(NODE_DOF, std::move(vertices), std::move(children));
    n.rotation = rotation;
    n.translation = translation;
    return n;
}
Node xdof(Matrix rotation, Vec3 translation, std::vector<Vec3> vertices, Chain children) {
    Node n = containerNode(NODE_XDOF, std::move(vertices), std::move(children));
    n.rotation = rotation;
    n.translation = translation;
    return n;
}
Node translator(Vec3 vector, std::vector<Vec3> vertices, Chain children) {
    Node n = containerNode(NODE_TRANSLATOR, std::move(vertices), std::move(children));
    n.vector = vector;
    return n;
}
Node scale(Vec3 vector, std::vector<Vec3> vertices, Chain children) {
    Node n = containerNode(NODE_SCALE, std::move(vertices), std::move(children));
    n.vector = vector;
    return n;
}
Node slot(int32_t slotId, Matrix rotation, Vec3 position) {
    Node n;
    n.code = NODE_SLOT;
    n.slotId = slotId;
    n.rotation = rotation;
    n.position = position;
    return n;
}
Node switchNode(std::vector<Chain> branches, int32_t switchId) {
    Node n;
    n.code = NODE_SWITCH;
    n.branches = std::move(branches);
    n.switchId = switchId;
    return n;
}
Node xswitch(std::vector<Chain> branches, int32_t flags, int32_t switchId) {
    Node n = switchNode(std::move(branches), switchId);
    n.code = NODE_XSWITCH;
    n.flags = flags;
    return n;
}
Node split(Chain branchA, Chain branchB, std::array<float, 4> plane) {
    Node n;
    n.code = NODE_SPLIT;
    n.branchA = std::move(branchA);
    n.branchB = std::move(branchB);
    n.plane = plane;
    return n;
}
Node special(int32_t specialType, std::vector<Vec3> vertices, Chain children) {
    Node n = containerNode(NODE_SPECIALX, std::move(vertices), std::move(children));
    n.specialType = specialType;
    return n;
}
Node litString() {
    Node n;
    n.code = NODE_LITSTRING;
    return n;
}
Node rcNode(int32_t rcType, std::array<uint8_t, 32> rcData) {
    Node n;
    n.code = NODE_RCNODE;
    n.rcType = rcType;
    n.rcData = rcData;
    return n;
}
Node pt(Prim p) {
    Node n;
    n.code = NODE_PT;
    n.prim = std::move(p);
    return n;
}
Node cp(Prim p) {
    Node n;
    n.code = NODE_CP;
    n.prim = std::move(p);
    return n;
}
Node lp(Prim sideA, Prim sideB) {
    Node n;
    n.code = NODE_LP;
    n.prim = std::move(sideA);
    n.sideB = std::move(sideB);
    return n;
}

BuiltLod buildLod(const Chain& rootChain, const BuildOptions& options) {
    Converter converter;
    const LodTreeChain top = converter.chain(rootChain);
    LodTreeOffsets offsets;
    std::vector<uint8_t> core = writeLodFile(converter.tree, top, &offsets);
    BuiltLod built;
    const int64_t coreBase = 4 + 4 * static_cast<int64_t>(loadI32LE(core.data()));
    for (const auto& label : converter.labels)
        built.offsets[label.first] = offsets.nodes[static_cast<size_t>(label.second)];
    built.typeTable = options.typeTable ? *options.typeTable : lodCreationOrder(converter.tree, top);
    const int32_t count = options.nodeCount ? *options.nodeCount : static_cast<int32_t>(built.typeTable.size());
    built.dataBase = 4 + 4 * static_cast<int64_t>(built.typeTable.size());
    built.bytes.resize(static_cast<size_t>(built.dataBase) + (core.size() - static_cast<size_t>(coreBase)));
    putInt32(built.bytes, 0, count);
    for (size_t i = 0; i < built.typeTable.size(); ++i)
        putInt32(built.bytes, 4 + 4 * static_cast<int64_t>(i), built.typeTable[i]);
    std::memcpy(built.bytes.data() + built.dataBase, core.data() + coreBase, core.size() - static_cast<size_t>(coreBase));
    for (const auto& o : converter.countOverrides)
        built.setInt32(offsets.primitives[static_cast<size_t>(o.first)] + 4, o.second);
    return built;
}

BuiltLod buildLod(const Node& rootNode, const BuildOptions& options) { return buildLod(Chain{rootNode}, options); }

int32_t BuiltLod::int32At(int32_t offset) const { return loadI32LE(bytes.data() + dataBase + offset); }

void BuiltLod::setInt32(int32_t offset, int32_t value) {
    const int64_t position = dataBase + offset;
    if (position + 4 > static_cast<int64_t>(bytes.size())) bytes.resize(static_cast<size_t>(position + 4), 0);
    putInt32(bytes, position, value);
}

void BuiltLod::setFloat(int32_t offset, float value) { setInt32(offset, floatWord(value)); }

int32_t BuiltLod::append(const std::vector<int32_t>& words) {
    const int32_t offset = static_cast<int32_t>(static_cast<int64_t>(bytes.size()) - dataBase);
    for (int32_t w : words) {
        bytes.resize(bytes.size() + 4);
        putInt32(bytes, static_cast<int64_t>(bytes.size()) - 4, w);
    }
    return offset;
}

std::vector<uint8_t> rawLod(const std::vector<int32_t>& typeTable, const std::vector<int32_t>& words) {
    std::vector<uint8_t> bytes(4 + 4 * (typeTable.size() + words.size()));
    putInt32(bytes, 0, static_cast<int32_t>(typeTable.size()));
    int64_t position = 4;
    for (int32_t code : typeTable) {
        putInt32(bytes, position, code);
        position += 4;
    }
    for (int32_t w : words) {
        putInt32(bytes, position, w);
        position += 4;
    }
    return bytes;
}

}  // namespace lodtest
