// Hostile LOD files of a chosen size (in type table entries), for measuring time and memory of every
// command on damaged input and for the hostile-input tests. Each one is a
// small set of records that reuse each other through offsets, so that a
// file of a few bytes per node type table entry makes a large tree.
//
// Node data layouts used here (words; offsets are from the start of node
// data):
//   Root     type, next, vertexOffset, vertexCount, 0, 0, normalOffset,
//            normalCount, childOffset, textureOffset, textureCount, script
//   SubTree  type, next, vertexOffset, vertexCount, 0, 0, normalOffset,
//            normalCount, childOffset
//   DOF      the SubTree words, dofId, nine matrix floats, translation
//   Switch   type, next, switchId, branchCount, tableOffset
//   CP       type, next, primitiveOffset
//   primitive (type 0) type, vertexCount, indexOffset, colour
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lod/node_type.h"
#include "lod_builder.h"

namespace mevlofuzz {

namespace hostile {

inline int32_t word(int32_t code) { return mevlo::NodeTypeTable[code].typeWord; }

inline std::vector<int32_t> table(size_t n, int32_t first, int32_t rest) {
    std::vector<int32_t> codes(n > 0 ? n : 1, rest);
    codes[0] = first;
    return codes;
}

inline void appendVertices(std::vector<int32_t>& words, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        words.push_back(lodtest::floatWord(static_cast<float>(i % 97)));
        words.push_back(lodtest::floatWord(static_cast<float>(i % 89)));
        words.push_back(lodtest::floatWord(1.0f));
    }
}

}  // namespace hostile

// A Root with three vertices whose only child is a CP record naming itself
// as its next sibling: one node per table entry, all in one chain. The
// primitive has two indices, so no node adds a face.
inline std::vector<uint8_t> hostileLongChain(size_t entries) {
    using namespace hostile;
    std::vector<int32_t> words = {word(mevlo::NODE_ROOT), -1, 48, 3, 0, 0, 0, 0, 84, 0, 0, 0};
    appendVertices(words, 3);
    words.insert(words.end(), {word(mevlo::NODE_CP), 84, 96, 0, 2, 112, 0, 0, 1});
    return lodtest::rawLod(table(entries, mevlo::NODE_ROOT, mevlo::NODE_CP), words);
}

// A SubTree whose first child is itself: nesting as deep as the table lets
// it (the loader stops at its nesting limit).
inline std::vector<uint8_t> hostileDeepNesting(size_t entries) {
    using namespace hostile;
    const std::vector<int32_t> words = {word(mevlo::NODE_SUBTREE), -1, 0, 0, 0, 0, 0, 0, 0};
    return lodtest::rawLod(table(entries, mevlo::NODE_SUBTREE, mevlo::NODE_SUBTREE), words);
}

// A Switch whose 50 branches all point back at itself: a tree of fan-out 50
// made of one record, as large as the table.
inline std::vector<uint8_t> hostileCyclicBranches(size_t entries) {
    using namespace hostile;
    std::vector<int32_t> words = {word(mevlo::NODE_SWITCH), -1, 0, 50, 20};
    words.insert(words.end(), 50, 0);
    return lodtest::rawLod(table(entries, mevlo::NODE_SWITCH, mevlo::NODE_SWITCH), words);
}

// A Root and a chain of SubTrees (one record naming itself as next) that
// all use the same table of `vertices` vertices: the tree holds the table
// once per node.
inline std::vector<uint8_t> hostileSharedTables(size_t entries, size_t vertices) {
    using namespace hostile;
    const auto v = static_cast<int32_t>(vertices);
    std::vector<int32_t> words = {word(mevlo::NODE_ROOT), -1, 84, v, 0, 0, 0, 0, 48, 0, 0, 0,
                                  word(mevlo::NODE_SUBTREE), 48, 84, v, 0, 0, 0, 0, -1};
    appendVertices(words, vertices);
    return lodtest::rawLod(table(entries, mevlo::NODE_ROOT, mevlo::NODE_SUBTREE), words);
}

// A Root with three vertices and a chain of CPs (one record naming itself
// as next) that all use one primitive whose `indices` vertex indices are
// all out of range: every fan triangle is dropped, none counts toward a
// capacity.
inline std::vector<uint8_t> hostileDroppedFaces(size_t entries, size_t indices) {
    using namespace hostile;
    std::vector<int32_t> words = {word(mevlo::NODE_ROOT), -1, 48, 3, 0, 0, 0, 0, 84, 0, 0, 0};
    appendVertices(words, 3);
    words.insert(words.end(), {word(mevlo::NODE_CP), 84, 96, 0, static_cast<int32_t>(indices), 112, 0});
    words.insert(words.end(), indices, 5);
    return lodtest::rawLod(table(entries, mevlo::NODE_ROOT, mevlo::NODE_CP), words);
}

// A DOF whose first child is itself, with a table of `vertices` vertices:
// `depth` nested meshes, each moved by every DOF above it.
inline std::vector<uint8_t> hostileDeepTransforms(size_t depth, size_t vertices) {
    using namespace hostile;
    std::vector<int32_t> words = {word(mevlo::NODE_DOF), -1, 88, static_cast<int32_t>(vertices), 0, 0, 0, 0, 0, 1};
    const float matrix[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    for (float e : matrix) words.push_back(lodtest::floatWord(e));
    for (int i = 0; i < 3; ++i) words.push_back(lodtest::floatWord(0.5f));
    appendVertices(words, vertices);
    return lodtest::rawLod(table(depth, mevlo::NODE_DOF, mevlo::NODE_DOF), words);
}

struct HostileModel {
    std::string name;
    std::vector<uint8_t> bytes;
};

// The type table entries that make make(entries) about `size` bytes long.
template <typename Make>
std::vector<uint8_t> filledTo(size_t size, Make make) {
    const size_t fixed = make(1).size() - 4;
    return make(size > fixed + 4 ? (size - fixed) / 4 : 1);
}

// The measured set, each about `size` bytes; the dropped-faces file is half
// table, half index block; the deep transforms file is as large as 600
// nested meshes of 8000 vertices need.
inline std::vector<HostileModel> hostileModels(size_t size) {
    return {
        {"long_chain", filledTo(size, [](size_t n) { return hostileLongChain(n); })},
        {"deep_nesting", filledTo(size, [](size_t n) { return hostileDeepNesting(n); })},
        {"cyclic_branches", filledTo(size, [](size_t n) { return hostileCyclicBranches(n); })},
        {"shared_tables_8000", filledTo(size, [](size_t n) { return hostileSharedTables(n, 8000); })},
        {"shared_tables_100", filledTo(size, [](size_t n) { return hostileSharedTables(n, 100); })},
        {"shared_tables_600", filledTo(size, [](size_t n) { return hostileSharedTables(n, 600); })},
        {"dropped_faces", filledTo(size, [size](size_t n) { return hostileDroppedFaces(n, size / 8); })},
        {"deep_transforms", hostileDeepTransforms(600, 8000)},
    };
}

}  // namespace mevlofuzz
