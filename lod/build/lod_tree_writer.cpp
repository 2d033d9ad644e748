// Lays a LodTree out as a LOD file in two passes over the same code: the
// first counts the bytes and notes the value of every offset slot (most
// point forward, to what follows the record), the second writes the bytes
// in order, a piece at a time, taking each slot's value from the notes. So
// a file of hundreds of megabytes is never held whole: the notes cost a
// word per offset, a fraction of the file.
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "common/byte_order.h"
#include "lod/build/lod_tree.h"
#include "lod/node_type.h"
#include "lod/primitive.h"

namespace mevlo {

namespace {

// The bytes the writing pass has laid out and not yet handed on.
class PieceBuffer {
public:
    explicit PieceBuffer(const LodByteSink& sink) : sink_(sink) {}
    void word(uint32_t w) {
        if (used_ == kBytes) flush();
        storeU32LE(bytes_ + used_, w);
        used_ += 4;
    }
    // `count` 32-bit values as they lie in memory from `data` (ints, floats
    // or records of them), each written little-endian: a table goes out in
    // a few copies rather than a call per word.
    void words(const void* data, size_t count) {
        const auto* from = static_cast<const uint8_t*>(data);
        while (count > 0) {
            if (used_ == kBytes) flush();
            const size_t n = count < (kBytes - used_) / 4 ? count : (kBytes - used_) / 4;
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
            std::memcpy(bytes_ + used_, from, 4 * n);
#else
            for (size_t i = 0; i < n; ++i) {
                uint32_t w = 0;
                std::memcpy(&w, from + 4 * i, 4);
                storeU32LE(bytes_ + used_ + 4 * i, w);
            }
#endif
            used_ += 4 * n;
            from += 4 * n;
            count -= n;
        }
    }
    bool flush() {
        if (used_ > 0 && ok_) ok_ = sink_(bytes_, used_);
        used_ = 0;
        return ok_;
    }
    bool ok() const { return ok_; }

private:
    static constexpr size_t kBytes = size_t{1} << 18;
    const LodByteSink& sink_;
    uint8_t bytes_[kBytes];
    size_t used_ = 0;
    bool ok_ = true;
};

template <bool kWrite>
class Layout {
public:
    // Counting: slots get their values in `slots`. Writing: `slots` are
    // those values, and the bytes go to `out`.
    Layout(const LodTree& tree, std::vector<int32_t>* noted, const std::vector<int32_t>* values, PieceBuffer* out,
           LodTreeOffsets* offsets)
        : tree_(tree), noted_(noted), values_(values), out_(out), offsets_(offsets) {}

    int64_t size() const { return position_; }

    void chain(const LodTreeChain& c) {
        int64_t previousNext = -1;
        for (int32_t n = c.head; n >= 0; n = tree_.node(n).next) {
            if (previousNext >= 0) patch(previousNext);
            previousNext = node(n);
        }
    }

private:
    void word(int32_t w) {
        if (kWrite) out_->word(static_cast<uint32_t>(w));
        position_ += 4;
    }
    void real(float f) { word(static_cast<int32_t>(bitsOfFloat(f))); }
    void vec(const Vec3& v) {
        real(v.x);
        real(v.y);
        real(v.z);
    }
    // A word whose value may be known only later; returns its handle.
    int64_t slot(int32_t placeholder) {
        if (kWrite) {
            word((*values_)[nextSlot_]);
            return static_cast<int64_t>(nextSlot_++);
        }
        noted_->push_back(placeholder);
        position_ += 4;
        return static_cast<int64_t>(noted_->size() - 1);
    }
    void set(int64_t at, int32_t value) {
        if (!kWrite) (*noted_)[static_cast<size_t>(at)] = value;
    }
    // Points the slot at the current position.
    void patch(int64_t at) { set(at, static_cast<int32_t>(position_)); }

    void childChain(int64_t at, const LodTreeChain& c) {
        if (c.empty()) return;
        patch(at);
        chain(c);
    }

    void vectorTable(int64_t at, const std::vector<Vec3>& table) {
        if (table.empty()) {
            set(at, 0);
            return;
        }
        patch(at);
        static_assert(sizeof(Vec3) == 12, "a vertex is three floats side by side");
        if (kWrite) out_->words(table.data(), 3 * table.size());
        position_ += 12 * static_cast<int64_t>(table.size());
    }

    void ints(const int32_t* values, int32_t count) {
        if (count <= 0) return;
        if (kWrite) out_->words(values, static_cast<size_t>(count));
        position_ += 4 * static_cast<int64_t>(count);
    }

    // Returns where the node's next-sibling slot is.
    int64_t node(int32_t index) {
        const LodTreeNode& n = tree_.node(index);
        if (offsets_ && kWrite) offsets_->nodes[static_cast<size_t>(index)] = static_cast<int32_t>(position_);
        word(n.typeWord);
        const int64_t nextSlot = slot(-1);
        switch (n.code) {
            case NODE_SUBTREE:
            case NODE_ROOT:
            case NODE_DOF:
            case NODE_TRANSLATOR:
            case NODE_SCALE:
            case NODE_XDOF: geometry(n.code, tree_.record(index)); break;
            case NODE_SLOT: {
                const LodTreeRecord& r = tree_.record(index);
                for (float e : r.rotation) real(e);
                vec(r.position);
                word(r.slotId);
                break;
            }
            case NODE_SWITCH:
            case NODE_XSWITCH: switchRecord(n.code, tree_.record(index)); break;
            case NODE_SPLIT: {
                const LodTreeRecord& r = tree_.record(index);
                for (float p : r.plane) real(p);
                const int64_t a = slot(-1);
                const int64_t b = slot(-1);
                childChain(a, r.branchA);
                childChain(b, r.branchB);
                break;
            }
            case NODE_SPECIALX: {
                const LodTreeRecord& r = tree_.record(index);
                const int64_t table = slot(0);
                word(static_cast<int32_t>(r.vertices.size()));
                word(r.specialType);
                const int64_t child = slot(-1);
                childChain(child, r.children);
                vectorTable(table, r.vertices);
                break;
            }
            case NODE_RCNODE: {
                const LodTreeRecord& r = tree_.record(index);
                word(r.rcType);
                for (size_t i = 0; i < 32; i += 4) word(loadI32LE(r.rcData.data() + i));
                break;
            }
            case NODE_PT:
            case NODE_CP: {
                const int64_t p = slot(-1);
                if (n.detail >= 0) {
                    patch(p);
                    primitive(n.detail);
                }
                break;
            }
            case NODE_LP: {
                const int64_t a = slot(-1);
                const int64_t b = slot(-1);
                if (n.detail >= 0) {
                    patch(a);
                    primitive(n.detail);
                    patch(b);
                    primitive(n.detail + 1);
                }
                break;
            }
            default: break;  // LitString and unknown codes: the head alone
        }
        return nextSlot;
    }

    void geometry(int32_t code, const LodTreeRecord& r) {
        const int64_t vertexTable = slot(0);
        word(static_cast<int32_t>(r.vertices.size()));
        word(r.opaqueA);
        word(r.opaqueB);
        const int64_t normalTable = slot(0);
        word(static_cast<int32_t>(r.normals.size()));
        const int64_t child = slot(-1);
        int64_t textureTable = 0;
        switch (code) {
            case NODE_ROOT:
                textureTable = slot(0);
                word(static_cast<int32_t>(r.textures.size()));
                word(r.script);
                break;
            case NODE_DOF:
                word(r.dofId);
                for (float e : r.rotation) real(e);
                vec(r.translation);
                break;
            case NODE_TRANSLATOR:
            case NODE_SCALE:
                word(r.dofId);
                real(r.minimum);
                real(r.maximum);
                real(r.multiplier);
                real(r.opaqueValue);
                word(r.flags);
                vec(r.vector);
                if (code == NODE_SCALE) vec(r.opaqueVector);
                break;
            case NODE_XDOF:
                word(r.dofId);
                real(r.minimum);
                real(r.maximum);
                real(r.multiplier);
                real(r.opaqueValue);
                word(r.flags);
                for (float e : r.rotation) real(e);
                vec(r.translation);
                break;
            default: break;
        }
        childChain(child, r.children);
        vectorTable(vertexTable, r.vertices);
        vectorTable(normalTable, r.normals);
        if (code == NODE_ROOT) {
            if (r.textures.empty()) {
                set(textureTable, 0);
            } else {
                patch(textureTable);
                ints(r.textures.data(), static_cast<int32_t>(r.textures.size()));
            }
        }
    }

    void switchRecord(int32_t code, const LodTreeRecord& r) {
        word(r.switchId);
        if (code == NODE_XSWITCH) word(r.flags);
        word(static_cast<int32_t>(r.branches.size()));
        const int64_t tableSlot = slot(0);
        patch(tableSlot);
        // The branch slots are consecutive handles.
        int64_t firstBranchSlot = 0;
        for (size_t i = 0; i < r.branches.size(); ++i) {
            const int64_t at = slot(-1);
            if (i == 0) firstBranchSlot = at;
        }
        for (size_t i = 0; i < r.branches.size(); ++i)
            childChain(firstBranchSlot + static_cast<int64_t>(i), r.branches[i]);
    }

    void block(int64_t at, const int32_t* values, int32_t count) {
        patch(at);
        ints(values, count);
    }

    void primitive(int32_t index) {
        const LodTreePrimitive& p = tree_.primitive(index);
        if (offsets_ && kWrite) offsets_->primitives[static_cast<size_t>(index)] = static_cast<int32_t>(position_);
        const int32_t bits = primitiveFlagsOf(p.type);
        word(p.type);
        word(p.vertexCount);
        const int64_t vertexBlock = slot(0);
        if (bits & PRIM_POLYDATA)
            for (float f : p.polyData) real(f);
        int64_t colorBlock = 0, normalBlock = 0, textureBlock = 0;
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
        block(vertexBlock, tree_.ints(p.vertices), p.vertexCount);
        if (bits & PRIM_COLORS) block(colorBlock, tree_.ints(p.colors()), p.vertexCount);
        if (bits & PRIM_NORMALS) block(normalBlock, tree_.ints(p.normals()), p.vertexCount);
        if (bits & PRIM_TEXTURE) {
            patch(textureBlock);
            const int32_t n = p.vertexCount > 0 ? p.vertexCount : 0;
            if (kWrite && n > 0) out_->words(tree_.floats(p.texCoords), 2 * static_cast<size_t>(n));
            position_ += 8 * static_cast<int64_t>(n);
        }
    }

    const LodTree& tree_;
    std::vector<int32_t>* noted_;
    const std::vector<int32_t>* values_;
    PieceBuffer* out_;
    LodTreeOffsets* offsets_;
    int64_t position_ = 0;
    size_t nextSlot_ = 0;
};

void appendCreationOrder(const LodTree& tree, const LodTreeChain& chain, std::vector<int32_t>& codes);

void appendChildChains(const LodTree& tree, int32_t index, std::vector<int32_t>& codes) {
    const LodTreeNode& n = tree.node(index);
    switch (n.code) {
        case NODE_SUBTREE:
        case NODE_ROOT:
        case NODE_DOF:
        case NODE_TRANSLATOR:
        case NODE_SCALE:
        case NODE_XDOF:
        case NODE_SPECIALX: appendCreationOrder(tree, tree.record(index).children, codes); break;
        case NODE_SWITCH:
        case NODE_XSWITCH:
            for (const LodTreeChain& branch : tree.record(index).branches) appendCreationOrder(tree, branch, codes);
            break;
        case NODE_SPLIT:
            appendCreationOrder(tree, tree.record(index).branchA, codes);
            appendCreationOrder(tree, tree.record(index).branchB, codes);
            break;
        default: break;
    }
}

// A chain's nodes are created first (each builds its next sibling before
// its own fields), then the children of its last node, ..., of its first.
void appendCreationOrder(const LodTree& tree, const LodTreeChain& chain, std::vector<int32_t>& codes) {
    const size_t first = codes.size();
    for (int32_t n = chain.head; n >= 0; n = tree.node(n).next) codes.push_back(n);
    const size_t end = codes.size();
    // The chain's node indices stand in codes[first, end) until replaced.
    std::vector<int32_t> members(codes.begin() + static_cast<std::ptrdiff_t>(first),
                                 codes.begin() + static_cast<std::ptrdiff_t>(end));
    for (size_t i = first; i < end; ++i) codes[i] = tree.node(codes[i]).code;
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
        const int32_t code = tree.node(*it).code;
        if (isGeometryNodeType(code) || code == NODE_SPECIALX || code == NODE_SWITCH || code == NODE_XSWITCH ||
            code == NODE_SPLIT)
            appendChildChains(tree, *it, codes);
    }
}

}  // namespace

std::vector<int32_t> lodCreationOrder(const LodTree& tree, const LodTreeChain& chain) {
    std::vector<int32_t> codes;
    appendCreationOrder(tree, chain, codes);
    return codes;
}

LodFileLayout::LodFileLayout(const LodTree& tree, const LodTreeChain& top) : tree_(tree), top_(top) {
    if (tree.overfull()) return;
    codes_ = lodCreationOrder(tree, top);
    Layout<false> counting(tree, &slots_, nullptr, nullptr, nullptr);
    counting.chain(top);
    // Offsets are 32-bit words: a larger file cannot be said.
    if (counting.size() > INT32_MAX - 4 * static_cast<int64_t>(codes_.size()) - 4) return;
    size_ = 4 + 4 * static_cast<int64_t>(codes_.size()) + counting.size();
}

bool LodFileLayout::write(const LodByteSink& sink, LodTreeOffsets* offsets) const {
    if (size_ < 0) return false;
    if (offsets) {
        offsets->nodes.assign(tree_.nodeCount(), -1);
        offsets->primitives.assign(tree_.primitiveTotal(), -1);
    }
    auto out = std::make_unique<PieceBuffer>(sink);
    out->word(static_cast<uint32_t>(codes_.size()));
    for (int32_t code : codes_) out->word(static_cast<uint32_t>(code));
    Layout<true> writing(tree_, nullptr, &slots_, out.get(), offsets);
    writing.chain(top_);
    return out->flush();
}

std::vector<uint8_t> writeLodFile(const LodTree& tree, const LodTreeChain& top, LodTreeOffsets* offsets) {
    const LodFileLayout layout(tree, top);
    std::vector<uint8_t> bytes;
    if (layout.size() < 0) return bytes;
    bytes.reserve(static_cast<size_t>(layout.size()));
    layout.write(
        [&bytes](const uint8_t* data, size_t size) {
            bytes.insert(bytes.end(), data, data + size);
            return true;
        },
        offsets);
    return bytes;
}

}  // namespace mevlo
