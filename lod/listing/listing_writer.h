// Where listing text goes: a writer the command owns. Text is formatted
// into one large block, and the block is handed on when it fills and when
// the listing is finished, instead of a call per line or field.
//
// The writer also keeps the indentation: containers raise the depth while
// their children list and lower it again before their end line, so a
// listing ends at the depth where it began.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>

namespace mevlo {

class InputFile;

class ListingWriter {
public:
    // Receives the text, a block at a time, in order.
    using Emit = std::function<void(const char* text, size_t size)>;

    static constexpr size_t kBlockBytes = size_t{1} << 20;
    // The most one item (a number, a formatted field, a piece of text) may
    // take; the block has that much room past kBlockBytes.
    static constexpr size_t kItemBytes = 4096;

    // With an input given, a block is handed on only while that input is
    // intact: once a mapped file lost pages, nothing formatted from it
    // reaches emit (the command reports the loss).
    explicit ListingWriter(Emit emit, const InputFile* guardedInput = nullptr);
    // Hands on what is left (see finish).
    ~ListingWriter();
    ListingWriter(const ListingWriter&) = delete;
    ListingWriter& operator=(const ListingWriter&) = delete;

    // Hands the text written so far on.
    void finish() { flushBlock(); }

    // Room for n <= kItemBytes more bytes: the caller formats there and
    // then calls advance with the end of what it wrote.
    char* room(size_t n) {
        if (n > static_cast<size_t>(end_ - cursor_)) flushBlock();
        return cursor_;
    }
    void advance(char* to) { cursor_ = to; }

    void text(const char* text, size_t n) {
        while (n > 0) {
            const size_t now = n < kItemBytes ? n : kItemBytes;
            std::memcpy(room(now), text, now);
            cursor_ += now;
            text += now;
            n -= now;
        }
    }
    void text(const char* text) { this->text(text, std::strlen(text)); }
    // "%d" of value.
    void integer(int32_t value);
    // "%f" of value (see formatFixed6).
    void fixed6(float value);
    // printf of the arguments; the result must fit kItemBytes (longer is cut).
    void formatted(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // The indentation: depth copies of the two-space unit (none at depth 0).
    void indent();
    // The indentation, then text (the usual start of a listing line).
    void line(const char* text) {
        indent();
        this->text(text);
    }
    void indentMore() { ++depth_; }
    void indentLess() { --depth_; }

private:
    void flushBlock();

    Emit emit_;
    const InputFile* guardedInput_;
    bool dropping_ = false;
    std::unique_ptr<char[]> block_;
    char* cursor_;
    char* end_;
    int32_t depth_ = 0;
};

}  // namespace mevlo
