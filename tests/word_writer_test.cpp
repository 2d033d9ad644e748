// The serializer's word store: dropping on a full buffer, slots and their
// patches, and the node type list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/message_sink.h"
#include "lod/node_type.h"
#include "lod/serialize/word_writer.h"

namespace {

using mevlo::WordWriter;

// What patching the slot reports.
std::string patchMessages(WordWriter& writer, mevlo::MessageLog& log, int32_t slot) {
    log.text.clear();
    writer.patchSlot(slot);
    return log.text;
}

TEST(WordWriter, FullBufferDropsWordsAndFreezesPosition) {
    mevlo::MessageLog log;
    WordWriter writer(log, 4);
    for (int32_t v = 1; v <= 5; ++v) writer.writeWord(v);
    EXPECT_EQ(writer.words, (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(writer.wordCount, 4);
    EXPECT_EQ(writer.bytePosition, 16);

    int32_t slot = -7;
    writer.reserveSlot(slot, -1);
    EXPECT_EQ(slot, 4);  // the capacity: the slot does not exist
    EXPECT_EQ(writer.wordCount, 4);
    EXPECT_EQ(patchMessages(writer, log, slot), "Pointer Error\n");
    EXPECT_EQ(writer.words, (std::vector<int32_t>{1, 2, 3, 4}));

    writer.recordNode(mevlo::NODE_ROOT);
    EXPECT_EQ(writer.nodeTypeListCount, 0);
    EXPECT_TRUE(writer.nodeTypeList.empty());
}

TEST(WordWriter, PatchStoresTheBytePositionOfTheNextWord) {
    mevlo::MessageLog log;
    WordWriter writer(log, 8);
    writer.writeWord(11);
    int32_t slot = -1;
    writer.reserveSlot(slot, -1);
    EXPECT_EQ(slot, 1);
    EXPECT_EQ(writer.words[1], -1);
    EXPECT_EQ(patchMessages(writer, log, slot), "");
    EXPECT_EQ(writer.words[1], 8);  // the slot's own position plus 4

    // Any in-range word can be patched: the writer does not track slots.
    writer.writeWord(12);
    EXPECT_EQ(patchMessages(writer, log, 0), "");
    EXPECT_EQ(writer.words[0], 12);
}

TEST(WordWriter, PatchOutsideTheCapacityReportsPointerError) {
    mevlo::MessageLog log;
    WordWriter writer(log, 4);
    EXPECT_EQ(patchMessages(writer, log, -1), "Pointer Error\n");
    EXPECT_EQ(patchMessages(writer, log, 4), "Pointer Error\n");
    // Unwritten but in range: the bound is the capacity, not the word count.
    EXPECT_EQ(patchMessages(writer, log, 3), "");
    EXPECT_EQ(writer.wordCount, 0);
}

TEST(WordWriter, RecordNodeListsTheCodeAndStoresItsTypeWord) {
    mevlo::MessageLog log;
    WordWriter writer(log, 4);
    writer.recordNode(mevlo::NODE_ROOT);
    writer.recordNode(mevlo::NODE_RCNODE);
    EXPECT_EQ(writer.nodeTypeList, (std::vector<int32_t>{2, 16}));
    EXPECT_EQ(writer.nodeTypeListCount, 2);
    EXPECT_EQ(writer.wordCount, 2);
    EXPECT_EQ(writer.words[0], 0x465168);
    EXPECT_EQ(writer.words[1], 0x10);
}

}  // namespace
