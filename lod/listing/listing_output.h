// Where listing text goes: it is formatted into one large block, and the
// block goes to standard output in one call when it fills and when the
// outermost listing ends, instead of a stdio call per line or field.
//
// Nothing else writes to standard output while a listing runs (loading
// messages come before it, errors after it), so handing the block over at
// the end keeps standard output in the order of the calls that made it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace mevlo {

class InputFile;

namespace listing {

constexpr size_t kBlockBytes = size_t{1} << 20;
// The most one item (a number, a formatted field, a piece of text) may
// take; the block has that much room past kBlockBytes.
constexpr size_t kItemBytes = 4096;

extern char* cursor;
extern char* blockEnd;

// Hands the block to standard output and starts a new one.
void flushBlock();

// Room for n <= kItemBytes more bytes at cursor.
inline char* room(size_t n) {
    if (n > static_cast<size_t>(blockEnd - cursor)) flushBlock();
    return cursor;
}

}  // namespace listing

inline void listText(const char* text, size_t n) {
    while (n > 0) {
        const size_t now = n < listing::kItemBytes ? n : listing::kItemBytes;
        std::memcpy(listing::room(now), text, now);
        listing::cursor += now;
        text += now;
        n -= now;
    }
}
inline void listText(const char* text) { listText(text, std::strlen(text)); }

// "%d" of value.
void listInt(int32_t value);
// "%f" of value (see formatFixed6).
void listFixed6(float value);
// printf of the arguments; the result must fit kItemBytes (longer is cut).
void listFormatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Brackets one listing. The outermost scope hands the rest of the block to
// standard output when it ends. With an input given, a block is handed over
// only while that input is intact: once a mapped file lost pages, nothing
// formatted from it reaches the output (the command reports the loss).
class ListingScope {
public:
    explicit ListingScope(const InputFile* input);
    ~ListingScope();
    ListingScope(const ListingScope&) = delete;
    ListingScope& operator=(const ListingScope&) = delete;
};

}  // namespace mevlo
