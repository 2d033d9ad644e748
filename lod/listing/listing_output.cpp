#include "lod/listing/listing_output.h"

#include <cstdarg>
#include <cstdio>

#include "io/input_file.h"
#include "lod/listing/fixed_format.h"

namespace mevlo {

namespace listing {

namespace {

char block[kBlockBytes + kItemBytes];
int32_t scopeDepth = 0;
const InputFile* guardedInput = nullptr;
bool dropping = false;

}  // namespace

char* cursor = block;
char* blockEnd = block + kBlockBytes + kItemBytes;

void flushBlock() {
    if (guardedInput != nullptr && !guardedInput->intact()) dropping = true;
    if (!dropping) std::fwrite(block, 1, static_cast<size_t>(cursor - block), stdout);
    cursor = block;
}

}  // namespace listing

void listInt(int32_t value) {
    char* out = listing::room(12);
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
    listing::cursor = out;
}

void listFixed6(float value) {
    char* out = listing::room(kFixedFormatBufferSize);
    listing::cursor = out + formatFixed6(value, out);
}

void listFormatted(const char* format, ...) {
    char* out = listing::room(listing::kItemBytes);
    va_list arguments;
    va_start(arguments, format);
    const int n = std::vsnprintf(out, listing::kItemBytes, format, arguments);
    va_end(arguments);
    if (n > 0) listing::cursor = out + (static_cast<size_t>(n) < listing::kItemBytes ? n : listing::kItemBytes - 1);
}

ListingScope::ListingScope(const InputFile* input) {
    if (listing::scopeDepth++ == 0) {
        listing::guardedInput = input;
        listing::dropping = false;
    }
}

ListingScope::~ListingScope() {
    if (--listing::scopeDepth == 0) {
        listing::flushBlock();
        listing::guardedInput = nullptr;
        listing::dropping = false;
    }
}

}  // namespace mevlo
