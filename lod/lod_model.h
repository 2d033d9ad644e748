// One loaded LOD file: the node type table, the start of node data and the
// node tree.
//
// File layout: int32 node count N, N int32 node type codes (in node
// creation order), then node data. Every offset stored in node data is a
// byte offset from the start of node data (dataBase); the root record is at
// offset 0.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/message_sink.h"
#include "io/input_file.h"
#include "lod/byte_stream.h"
#include "lod/lod_node.h"
#include "lod/packed_table.h"

namespace mevlo {

// Nodes nested deeper than this (children of children...) are not built.
// Real models nest a few dozen levels; the limit bounds every recursion
// over the tree (loading, conversion, listing, serializing, teardown).
constexpr int32_t kMaxNestingDepth = 1000;

// What went wrong while a file was loaded, by kind. Loading goes on past
// each of these with what could be built; the messages go to the sink the
// load was given, and the counts let a summary say how damaged a file is
// without reading them.
struct LoadProblems {
    int64_t typeOutOfRange = 0;         // "Node Table Error:  Type out of range."
    int64_t nestingTooDeep = 0;         // "Node Table Error:  Nesting too deep."
    int64_t unknownPrimitiveTypes = 0;  // "  FUBAR!"
    int64_t unreadableTables = 0;       // a table whose offset or count does not fit the file
};

class LodModel {
public:
    LodModel();
    ~LodModel();
    LodModel(const LodModel&) = delete;
    LodModel& operator=(const LodModel&) = delete;

    // Builds the tree of a file held in memory (mapped or read), which the
    // model keeps as long as it lives. The loading messages ("Node Table
    // Error:  Type out of range.", "  FUBAR!", ...) go to messages as they
    // are found. Returns 1: loading goes on past every problem.
    int loadInput(InputFile input, MessageSink& messages);
    int loadBytes(std::vector<uint8_t> bytes, MessageSink& messages);
    int loadBytes(const uint8_t* data, size_t size, MessageSink& messages);

    // The block of size bytes at dataBase + offset as a view into the
    // loaded file, or null when it does not lie wholly in the file (size 0
    // or negative, a position before the start or past the end).
    const uint8_t* readBlock(int32_t offset, int64_t size) const {
        if (size <= 0) return nullptr;
        const int64_t position = dataBase + offset;
        const int64_t fileSize = file.size();
        if (position < 0 || position > fileSize) return nullptr;
        if (size > fileSize - position) return nullptr;
        return file.data() + position;
    }
    // The word at dataBase + offset, or 0 when it does not lie wholly in the
    // file (as a read there yields).
    int32_t wordAt(int64_t offset) const {
        const int64_t position = dataBase + offset;
        if (position < 0 || file.size() - position < 4) return 0;
        return loadI32LE(file.data() + position);
    }

    // A table of count entries at offset; absent (and counted as a loading
    // problem) when it does not fit the file.
    template <typename T>
    PackedTable<T> readTable(int32_t offset, int32_t count) {
        if (count <= 0) return {};
        const uint8_t* block = readBlock(offset, static_cast<int64_t>(count) * PackedTable<T>::kEntrySize);
        if (!block) ++problems.unreadableTables;
        return PackedTable<T>(block, count);
    }

    // The node factory: builds the node at offset (and its whole chain and
    // subtree behind it), consuming node type table entries in creation
    // order. Null for offset -1, an exhausted table, a code of 0 or out of
    // range, a seek before the start of the file, or a node nested deeper
    // than kMaxNestingDepth. The stream position is restored.
    NodePtr createNode(int32_t offset);

    // Destroys the tree and the node type table. Safe to repeat.
    void release();

    // Node type code at index i of the table (0 past the entries the file holds).
    int32_t nodeTypeAt(int32_t i) const;

    // Hands a loading message to the sink of the load in progress.
    void report(const char* line) { messages_->message(line); }

    ByteStream& stream() { return file; }
    // The file the tree was built from; see InputFile::intact.
    const InputFile& input() const { return input_; }
    // Where this model's nodes and primitives are allocated.
    NodeArena& arena() { return arena_; }

    int32_t nodeCount = 0;
    // The entries of the node type table the file holds, read where they lie.
    Int32Table nodeTypes;
    int32_t nextNodeIndex = 0;
    NodePtr root;
    ByteStream file;
    int64_t dataBase = 0;
    LoadProblems problems;

private:
    void buildFromBytes();
    NodePtr constructNode(int32_t code);

    InputFile input_;
    NodeArena arena_;
    // The sink of the load in progress; nodes are made only while loading.
    MessageSink* messages_ = nullptr;
    int32_t nestingDepth_ = 0;
};

}  // namespace mevlo
