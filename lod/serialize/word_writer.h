// The serializer's word store: LOD node data is a flat run of 32-bit words
// in which records point at each other by byte offsets. Most offsets point
// forward, so a placeholder word (a slot) is stored first and overwritten
// with the real offset just before its target is written.
//
// The store never grows: words past `capacity` are dropped and the byte
// position stops advancing. Callers that must not lose words size the
// writer from the tree first: serializing into a measuring writer, which
// stores nothing and only counts, gives the exact number of words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/message_sink.h"

namespace mevlo {

class WordWriter {
public:
    // capacity words are allocated up front (negative counts as 0; at most
    // kMaxCapacity so that every byte position fits an int32). The node type
    // list reserves nodeListCapacity entries; it has no bound of its own.
    // A patch that misses the store is reported to messages.
    WordWriter(MessageSink& messages, int32_t capacity, int32_t nodeListCapacity = 0);

    // A writer that stores nothing: it counts the words and records that
    // serializing into it would produce (measuredWords, nodeTypeListCount).
    static WordWriter measuring();

    // Largest capacity whose byte positions (4 per word) fit in an int32.
    static constexpr int32_t kMaxCapacity = INT32_MAX / 4;

    // Appends one word; dropped on a full writer. Inline: a repack writes
    // every word of the file through here.
    void writeWord(int32_t value) {
        if (measuringOnly) {
            ++measuredWords;
            return;
        }
        if (wordCount >= capacity) return;
        words[static_cast<size_t>(wordCount)] = value;
        bytePosition += 4;
        ++wordCount;
    }
    // Hands back the index of the word it appends (capacity on a full
    // writer), then appends the placeholder.
    void reserveSlot(int32_t& slot, int32_t placeholder);
    // Overwrites word `slot` with bytePosition. An index outside
    // 0..capacity-1 reports "Pointer Error\n" and changes nothing.
    void patchSlot(int32_t slot);
    // Lists the node type code and appends its type word; nothing on a full
    // writer.
    void recordNode(int32_t code);

    std::vector<int32_t> words;
    int32_t capacity = 0;
    int32_t bytePosition = 0;
    int32_t wordCount = 0;
    std::vector<int32_t> nodeTypeList;
    int32_t nodeTypeListCount = 0;
    bool measuringOnly = false;
    int64_t measuredWords = 0;

private:
    WordWriter() = default;

    // Null in a measuring writer, which patches nothing.
    MessageSink* messages_ = nullptr;
};

}  // namespace mevlo
