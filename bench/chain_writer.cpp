#include "chain_writer.h"

#include "common/byte_order.h"
#include "lod/node_type.h"

namespace bench {

using namespace mevlo;

Vec3 chainVertex(int32_t i) {
    return Vec3{static_cast<float>(i % 40) * 0.25f, static_cast<float>(i / 40) * 0.25f,
                static_cast<float>((i * 37) % 101) * 0.01f};
}

lodtest::Prim chainPrimitive(const ChainShape& shape, int32_t i) {
    const int32_t v = (i * 7) % shape.vertices;
    const auto at = [&](int32_t k) { return (v + k) % shape.vertices; };
    lodtest::Prim p;
    if (i % shape.facePeriod == 0) {
        p = lodtest::prim(0, {at(0), at(1), at(2)});
    } else if (i % 2 == 0) {
        p = lodtest::prim(0, {at(0)});
    } else {
        p = lodtest::prim(1, {at(0), at(1)});
    }
    p.color = i % 256;
    return p;
}

namespace {

class ByteSink {
public:
    explicit ByteSink(size_t reserve) { bytes.reserve(reserve); }
    void word(int32_t w) {
        const size_t at = bytes.size();
        bytes.resize(at + 4);
        storeU32LE(bytes.data() + at, static_cast<uint32_t>(w));
    }
    void real(float f) { word(static_cast<int32_t>(bitsOfFloat(f))); }
    void patch(size_t at, int32_t w) { storeU32LE(bytes.data() + at, static_cast<uint32_t>(w)); }

    std::vector<uint8_t> bytes;
};

// Words of one PT node with its primitive record and vertex block.
int32_t ptWords(const lodtest::Prim& p) { return 7 + static_cast<int32_t>(p.vertices.size()); }

}  // namespace

std::vector<uint8_t> writeChainModel(const ChainShape& shape) {
    const int32_t nodeCount = 1 + shape.primitives;
    ByteSink out(static_cast<size_t>(shape.primitives) * 36 + static_cast<size_t>(shape.vertices) * 12 + 64);
    // Header and node type table: the SubTree, then its chain in order.
    out.word(nodeCount);
    out.word(NODE_SUBTREE);
    for (int32_t i = 0; i < shape.primitives; ++i) out.word(NODE_PT);
    const size_t dataBase = out.bytes.size();
    const auto position = [&]() { return static_cast<int32_t>(out.bytes.size() - dataBase); };

    // SubTree record: head, vertex table, count, two opaque words, normal
    // table (none), normal count, child chain.
    out.word(NodeTypeTable[NODE_SUBTREE].typeWord);
    out.word(-1);
    const size_t vertexTableSlot = out.bytes.size();
    out.word(0);
    out.word(shape.vertices);
    out.word(0);
    out.word(0);
    out.word(0);
    out.word(0);
    out.word(shape.primitives > 0 ? position() + 4 : -1);

    // Each PT: head, primitive offset, then the record (type, count, vertex
    // block offset, colour) and the vertex block right behind it.
    for (int32_t i = 0; i < shape.primitives; ++i) {
        const lodtest::Prim p = chainPrimitive(shape, i);
        const int32_t start = position();
        const bool last = i + 1 == shape.primitives;
        out.word(NodeTypeTable[NODE_PT].typeWord);
        out.word(last ? -1 : start + 4 * ptWords(p));
        out.word(start + 12);
        out.word(p.type);
        out.word(static_cast<int32_t>(p.vertices.size()));
        out.word(start + 28);
        out.word(p.color);
        for (int32_t index : p.vertices) out.word(index);
    }

    if (shape.vertices > 0) {
        out.patch(vertexTableSlot, position());
        for (int32_t i = 0; i < shape.vertices; ++i) {
            const Vec3 v = chainVertex(i);
            out.real(v.x);
            out.real(v.y);
            out.real(v.z);
        }
    }
    return std::move(out.bytes);
}

std::vector<uint8_t> buildChainModel(const ChainShape& shape) {
    std::vector<Vec3> vertices;
    for (int32_t i = 0; i < shape.vertices; ++i) vertices.push_back(chainVertex(i));
    lodtest::Chain children;
    for (int32_t i = 0; i < shape.primitives; ++i) children.push_back(lodtest::pt(chainPrimitive(shape, i)));
    return lodtest::buildLod(lodtest::subTree(std::move(vertices), std::move(children))).bytes;
}

}  // namespace bench
