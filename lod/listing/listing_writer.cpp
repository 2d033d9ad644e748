#include "lod/listing/listing_writer.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

#include "io/input_file.h"
#include "lod/listing/fixed_format.h"

namespace mevlo {

ListingWriter::ListingWriter(Emit emit, const InputFile* guardedInput)
    : emit_(std::move(emit)),
      guardedInput_(guardedInput),
      block_(new char[kBlockBytes + kItemBytes]),
      cursor_(block_.get()),
      end_(block_.get() + kBlockBytes + kItemBytes) {}

ListingWriter::~ListingWriter() { flushBlock(); }

void ListingWriter::flushBlock() {
    if (guardedInput_ != nullptr && !guardedInput_->intact()) dropping_ = true;
    const auto size = static_cast<size_t>(cursor_ - block_.get());
    if (!dropping_ && size > 0) emit_(block_.get(), size);
    cursor_ = block_.get();
}

void ListingWriter::integer(int32_t value) {
    char* out = room(12);
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
    }
    char reversed[10];
    int length = 0;
    do {
        reversed[length++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (length > 0) *out++ = reversed[--length];
    cursor_ = out;
}

void ListingWriter::fixed6(float value) {
    char* out = room(kFixedFormatBufferSize);
    cursor_ = out + formatFixed6(value, out);
}

void ListingWriter::formatted(const char* format, ...) {
    char* out = room(kItemBytes);
    va_list arguments;
    va_start(arguments, format);
    const int n = std::vsnprintf(out, kItemBytes, format, arguments);
    va_end(arguments);
    if (n > 0) cursor_ = out + (static_cast<size_t>(n) < kItemBytes ? n : kItemBytes - 1);
}

void ListingWriter::indent() {
    // Copied in runs: deep trees would otherwise cost one copy per level.
    // A whole run is copied each time (a copy of fixed size is a few
    // moves), and the cursor advances by the part that is needed.
    static const char kSpaces[] = "                                                                ";
    constexpr size_t kRunBytes = sizeof kSpaces - 1;
    constexpr int32_t kUnitsPerRun = kRunBytes / 2;
    for (int32_t units = depth_; units > 0; units -= kUnitsPerRun) {
        char* out = room(kRunBytes);
        std::memcpy(out, kSpaces, kRunBytes);
        cursor_ = out + 2 * static_cast<size_t>(units < kUnitsPerRun ? units : kUnitsPerRun);
    }
}

}  // namespace mevlo
