#include "lod_builder.h"

#include <cstring>
#include <utility>

#include "common/byte_order.h"
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

class Layout {
public:
    std::vector<int32_t> words;
    std::map<std::string, int32_t> offsets;

    int32_t position() const { return static_cast<int32_t>(words.size() * 4); }
    void word(int32_t w) { words.push_back(w); }
    void real(float f) { words.push_back(floatWord(f)); }
    void vec(const Vec3& v) {
        real(v.x);
        real(v.y);
        real(v.z);
    }
    size_t slot(int32_t placeholder) {
        words.push_back(placeholder);
        return words.size() - 1;
    }
    void patch(size_t slotIndex) { words[slotIndex] = position(); }

    void chain(const Chain& nodes) {
        for (size_t i = 0; i < nodes.size(); ++i) {
            const size_t nextSlot = node(nodes[i]);
            if (i + 1 < nodes.size()) patch(nextSlot);
        }
    }

    // Writes a child chain behind its slot when the chain exists.
    void childChain(size_t slotIndex, const Chain& nodes) {
        if (nodes.empty()) return;
        patch(slotIndex);
        chain(nodes);
    }

    void vectorTable(size_t slotIndex, const std::vector<Vec3>& table) {
        if (table.empty()) {
            words[slotIndex] = 0;
            return;
        }
        patch(slotIndex);
        for (const Vec3& v : table) vec(v);
    }

    // Returns the index of the node's next-sibling slot.
    size_t node(const Node& n) {
        if (!n.label.empty()) offsets[n.label] = position();
        word(n.typeWord ? *n.typeWord : NodeTypeTable[isKnownNodeType(n.code) ? n.code : 0].typeWord);
        const size_t nextSlot = slot(-1);
        switch (n.code) {
            case NODE_SUBTREE:
            case NODE_ROOT:
            case NODE_DOF:
            case NODE_TRANSLATOR:
            case NODE_SCALE:
            case NODE_XDOF: geometry(n); break;
            case NODE_SLOT:
                for (float e : n.rotation) real(e);
                vec(n.position);
                word(n.slotId);
                break;
            case NODE_SWITCH:
            case NODE_XSWITCH: switchRecord(n); break;
            case NODE_SPLIT: {
                for (float p : n.plane) real(p);
                const size_t a = slot(-1);
                const size_t b = slot(-1);
                childChain(a, n.branchA);
                childChain(b, n.branchB);
                break;
            }
            case NODE_SPECIALX: {
                const size_t table = slot(0);
                word(static_cast<int32_t>(n.vertices.size()));
                word(n.specialType);
                const size_t child = slot(-1);
                childChain(child, n.children);
                vectorTable(table, n.vertices);
                break;
            }
            case NODE_RCNODE:
                word(n.rcType);
                for (size_t i = 0; i < 32; i += 4) word(loadI32LE(n.rcData.data() + i));
                break;
            case NODE_PT:
            case NODE_CP: {
                const size_t p = slot(-1);
                patch(p);
                primitive(n.prim);
                break;
            }
            case NODE_LP: {
                const size_t a = slot(-1);
                const size_t b = slot(-1);
                patch(a);
                primitive(n.prim);
                patch(b);
                primitive(n.sideB);
                break;
            }
            default: break;  // LitString and unknown codes: the head alone
        }
        return nextSlot;
    }

    void geometry(const Node& n) {
        const size_t vertexTable = slot(0);
        word(static_cast<int32_t>(n.vertices.size()));
        word(n.opaqueA);
        word(n.opaqueB);
        const size_t normalTable = slot(0);
        word(static_cast<int32_t>(n.normals.size()));
        const size_t child = slot(-1);
        size_t textureTable = 0;
        switch (n.code) {
            case NODE_ROOT:
                textureTable = slot(0);
                word(static_cast<int32_t>(n.textures.size()));
                word(n.script);
                break;
            case NODE_DOF:
                word(n.dofId);
                for (float e : n.rotation) real(e);
                vec(n.translation);
                break;
            case NODE_TRANSLATOR:
            case NODE_SCALE:
                word(n.dofId);
                real(n.minimum);
                real(n.maximum);
                real(n.multiplier);
                real(n.opaqueValue);
                word(n.flags);
                vec(n.vector);
                if (n.code == NODE_SCALE) vec(n.opaqueVector);
                break;
            case NODE_XDOF:
                word(n.dofId);
                real(n.minimum);
                real(n.maximum);
                real(n.multiplier);
                real(n.opaqueValue);
                word(n.flags);
                for (float e : n.rotation) real(e);
                vec(n.translation);
                break;
            default: break;
        }
        childChain(child, n.children);
        vectorTable(vertexTable, n.vertices);
        vectorTable(normalTable, n.normals);
        if (n.code == NODE_ROOT) {
            if (n.textures.empty()) {
                words[textureTable] = 0;
            } else {
                patch(textureTable);
                for (int32_t t : n.textures) word(t);
            }
        }
    }

    void switchRecord(const Node& n) {
        word(n.switchId);
        if (n.code == NODE_XSWITCH) word(n.flags);
        word(static_cast<int32_t>(n.branches.size()));
        const size_t tableSlot = slot(0);
        patch(tableSlot);
        std::vector<size_t> branchSlots;
        for (size_t i = 0; i < n.branches.size(); ++i) branchSlots.push_back(slot(-1));
        for (size_t i = 0; i < n.branches.size(); ++i) childChain(branchSlots[i], n.branches[i]);
    }

    void intBlock(size_t slotIndex, const std::vector<int32_t>& values) {
        patch(slotIndex);
        for (int32_t v : values) word(v);
    }

    void primitive(const Prim& p) {
        const int32_t bits = primitiveFlagsOf(p.type);
        word(p.type);
        word(p.countOverride ? *p.countOverride : static_cast<int32_t>(p.vertices.size()));
        const size_t vertexBlock = slot(0);
        if (bits & PRIM_POLYDATA)
            for (float f : p.polyData) real(f);
        size_t colorBlock = 0, normalBlock = 0, textureBlock = 0;
        if (bits & PRIM_COLORS) {
            colorBlock = slot(0);
        } else if (bits & PRIM_COLOR) {
            word(p.color);
        }
        if (bits & PRIM_NORMALS) {
            normalBlock = slot(0);
        } else if (bits & PRIM_NORMAL) {
            word(p.normal);
        }
        if (bits & PRIM_TEXTURE) {
            word(p.textureId);
            textureBlock = slot(0);
        }
        intBlock(vertexBlock, p.vertices);
        if (bits & PRIM_COLORS) intBlock(colorBlock, p.colors);
        if (bits & PRIM_NORMALS) intBlock(normalBlock, p.normals);
        if (bits & PRIM_TEXTURE) {
            patch(textureBlock);
            for (const auto& uv : p.uv) {
                real(uv[0]);
                real(uv[1]);
            }
        }
    }
};

void appendChildChains(const Node& n, std::vector<int32_t>& codes) {
    switch (n.code) {
        case NODE_SUBTREE:
        case NODE_ROOT:
        case NODE_DOF:
        case NODE_TRANSLATOR:
        case NODE_SCALE:
        case NODE_XDOF:
        case NODE_SPECIALX: {
            auto sub = creationOrder(n.children);
            codes.insert(codes.end(), sub.begin(), sub.end());
            break;
        }
        case NODE_SWITCH:
        case NODE_XSWITCH:
            for (const Chain& branch : n.branches) {
                auto sub = creationOrder(branch);
                codes.insert(codes.end(), sub.begin(), sub.end());
            }
            break;
        case NODE_SPLIT: {
            auto a = creationOrder(n.branchA);
            codes.insert(codes.end(), a.begin(), a.end());
            auto b = creationOrder(n.branchB);
            codes.insert(codes.end(), b.begin(), b.end());
            break;
        }
        default: break;
    }
}

void putInt32(std::vector<uint8_t>& bytes, int64_t position, int32_t value) {
    storeU32LE(bytes.data() + position, static_cast<uint32_t>(value));
}

}  // namespace

std::vector<int32_t> creationOrder(const Chain& chain) {
    std::vector<int32_t> codes;
    for (const Node& n : chain) codes.push_back(n.code);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) appendChildChains(*it, codes);
    return codes;
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
    Layout layout;
    layout.chain(rootChain);
    BuiltLod built;
    built.offsets = std::move(layout.offsets);
    built.typeTable = options.typeTable ? *options.typeTable : creationOrder(rootChain);
    const int32_t count = options.nodeCount ? *options.nodeCount : static_cast<int32_t>(built.typeTable.size());
    built.bytes = rawLod(built.typeTable, layout.words);
    putInt32(built.bytes, 0, count);
    built.dataBase = 4 + 4 * static_cast<int64_t>(built.typeTable.size());
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
