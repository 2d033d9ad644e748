#include "lod/primitive.h"

#include <cstdio>

#include "lod/lod_model.h"

namespace mevlo {

const int32_t PrimitiveFlags[kPrimitiveTypeCount] = {
    0x004, 0x004, 0x104, 0x105, 0x108, 0x10A, 0x124, 0x125, 0x128, 0x12A, 0x1A4, 0x1A5, 0x1A8, 0x1AA,
    0x114, 0x115, 0x118, 0x11A, 0x134, 0x135, 0x138, 0x13A, 0x1B4, 0x1B5, 0x1B8, 0x1BA, 0x164,
};

const uint8_t Primitive::kEmptyRecord[4 * kMaxRecordWords] = {};

namespace {

constexpr int64_t kRecordBytes = 4 * Primitive::kMaxRecordWords;

// Another process may truncate a mapped file; the pages from the first lost
// one on then read as zeros. A record kept within one page reads either as
// it was or as all zeros, never as a mix: a count from before the loss with
// an offset from after it could name a block that is not there. 4096 divides
// every page size, so a record within 4096 bytes is within one page.
bool crossesPage(const uint8_t* record) {
    const auto first = reinterpret_cast<uintptr_t>(record);
    const uintptr_t last = first + kRecordBytes - 1;
    return (first >> 12) != (last >> 12);
}

struct RecordCopy {
    uint8_t bytes[kRecordBytes];
};

}  // namespace

// The record is read where it lies. One that runs past the end of the file
// (or across a page) is copied, the words that fit the file as they are and
// the rest as zeros, which is what reading past the end yields.
void Primitive::readPrimitive(LodModel& lodModel, LodNode* holder) {
    owner = holder;
    readable_ = 0;
    const ByteStream& in = lodModel.stream();
    dataBase_ = in.data() + lodModel.dataBase;
    const int64_t position = in.tell();
    const int64_t available = in.remaining();
    if (available >= kRecordBytes && !crossesPage(in.data() + position)) {
        record_ = in.data() + position;
    } else {
        RecordCopy* copy = lodModel.arena().create<RecordCopy>();
        const int64_t wholeWords = available / 4 < kMaxRecordWords ? available / 4 : kMaxRecordWords;
        for (int64_t i = 0; i < 4 * wholeWords; ++i) copy->bytes[i] = in.data()[position + i];
        record_ = copy->bytes;
    }

    const int32_t kind = type();
    int32_t bits = 0;
    if (isKnownPrimitiveType(kind)) {
        bits = PrimitiveFlags[kind];
    } else {
        if (lodModel.printProblems) std::printf("  FUBAR!\n");
        ++lodModel.problems.unknownPrimitiveTypes;
    }
    checkTable(lodModel, kVertexTable, 2, 4);
    if (bits & PRIM_COLORS) checkTable(lodModel, kColorTable, colorWord(bits), 4);
    if (bits & PRIM_NORMALS) checkTable(lodModel, kNormalTable, normalWord(bits), 4);
    if (bits & PRIM_TEXTURE) checkTable(lodModel, kTextureTable, textureWord(bits) + 1, 8);
}

void Primitive::checkTable(LodModel& lodModel, uint8_t which, int32_t offsetWord, int64_t entrySize) {
    const int32_t count = vertexCount();
    if (count <= 0) return;
    if (lodModel.readBlock(word(offsetWord), static_cast<int64_t>(count) * entrySize)) {
        readable_ |= which;
    } else {
        ++lodModel.problems.unreadableTables;
    }
}

}  // namespace mevlo
