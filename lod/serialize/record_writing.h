// Pieces shared by the record writers: float and vector fields copied bit
// for bit, tables, child chains and the closing next-sibling patch.
#pragma once

#include <cstdint>

#include "lod/packed_table.h"
#include "lod/serialize/word_writer.h"
#include "common/vec.h"

namespace mevlo {

class LodNode;

// Floats are stored as their IEEE-754 bit patterns, never converted.
inline void writeFloat(WordWriter& writer, float value) {
    writer.writeWord(static_cast<int32_t>(bitsOfFloat(value)));
}

inline void writeVec3(WordWriter& writer, const Vec3& v) {
    writeFloat(writer, v.x);
    writeFloat(writer, v.y);
    writeFloat(writer, v.z);
}

// Records hold matrices row by row (e0..e8), memory column by column.
inline void writeMat3(WordWriter& writer, const Mat3& m) {
    for (int i = 0; i < 9; ++i) writeFloat(writer, m.fileValue(i));
}

// Writes `count` entries of `table` as raw words (entries the table lacks
// are written as zero words, so the record always has what its count
// announces). Negative counts write nothing.
template <typename T>
void writeTable(WordWriter& writer, const PackedTable<T>& table, int32_t count) {
    constexpr int wordsPerEntry = static_cast<int>(PackedTable<T>::kEntrySize / 4);
    // Measuring takes the table's size without walking it: tables shared by
    // many records would otherwise cost the time of the whole output.
    if (writer.measuringOnly) {
        if (count > 0) writer.measuredWords += static_cast<int64_t>(count) * wordsPerEntry;
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        const bool held = i < table.count();
        for (int w = 0; w < wordsPerEntry; ++w)
            writer.writeWord(held ? static_cast<int32_t>(table.rawWord(i, w)) : 0);
    }
}

// Points slot at the table, written next.
template <typename T>
void writeTableAt(WordWriter& writer, int32_t slot, const PackedTable<T>& table, int32_t count) {
    writer.patchSlot(slot);
    writeTable(writer, table, count);
}

// Points slot at the chain that starts at head and writes it there; an
// absent chain leaves the slot's placeholder.
void writeChildChainAt(WordWriter& writer, int32_t slot, const LodNode* head);

// Serializes every node of the chain starting at head, in chain order. Each
// node patches its own next slot, so consecutive records link up.
void writeChain(WordWriter& writer, const LodNode* head);

// Last step of every record: the next-sibling slot designates the word
// written next, which is where the container writes the following node.
void finishRecord(WordWriter& writer, const LodNode& node, int32_t nextSlot);

}  // namespace mevlo
