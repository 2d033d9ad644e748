// The GLB container: header, JSON chunk padded with spaces, BIN chunk of a
// buffer whose views are padded with zeros, and every length.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/byte_order.h"
#include "outgltf/gltf_document.h"
#include "outgltf/gltf_encoder.h"

using namespace mevlo;

namespace {

TEST(GlbContainer, HeaderAndJsonChunkPaddedWithSpacesForEveryJsonLength) {
    for (const std::string json : {"{}", "{} ", "{}  ", "{}   ", "{}    "}) {
        const std::vector<uint8_t> head = encodeGlbHead(json, 0);
        const size_t padded = (json.size() + 3) / 4 * 4;
        ASSERT_EQ(head.size(), 20 + padded) << json.size();
        EXPECT_EQ(std::memcmp(head.data(), "glTF", 4), 0);
        EXPECT_EQ(loadU32LE(&head[4]), 2u);
        EXPECT_EQ(loadU32LE(&head[8]), head.size());
        EXPECT_EQ(loadU32LE(&head[12]), padded);
        EXPECT_EQ(std::memcmp(&head[16], "JSON", 4), 0);
        EXPECT_EQ(std::string(head.begin() + 20, head.end()), json + std::string(padded - json.size(), ' '));
    }
}

TEST(GlbContainer, BinChunkFollowsWithItsLengthAndTheBufferIsPaddedWithZeros) {
    GltfDocument document;
    int32_t first = -1, second = -1;
    std::memset(document.addBufferView(5, 34962, first), 0xAB, 5);
    std::memset(document.addBufferView(2, 34963, second), 0xCD, 2);
    EXPECT_EQ(document.bufferViews[1].offset, 8);
    ASSERT_EQ(document.binSize, 12);
    const std::vector<uint8_t> bin = document.joinedBin();
    const std::vector<uint8_t> expected = {0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0, 0, 0, 0xCD, 0xCD, 0, 0};
    EXPECT_EQ(bin, expected);

    const std::string json = encodeGltfJson(document, "");
    const std::vector<uint8_t> head = encodeGlbHead(json, bin.size());
    const size_t padded = (json.size() + 3) / 4 * 4;
    ASSERT_EQ(head.size(), 20 + padded + 8);
    EXPECT_EQ(loadU32LE(&head[8]), head.size() + bin.size());
    EXPECT_EQ(loadU32LE(&head[20 + padded]), bin.size());
    EXPECT_EQ(std::memcmp(&head[24 + padded], "BIN\0", 4), 0);
}

}  // namespace
