// How large a listing or a repacked file of one model may grow.
#pragma once

#include <cstdint>

namespace mevlo {

// The largest listing printed, or repacked file written, for an input of
// inputBytes: 32 times the input plus 32 MiB. Real models list at one to
// three times their size and repack to about their own size; far more
// means records shared across many nodes or nested in themselves, as only
// crafted files have.
inline int64_t outputSizeLimit(int64_t inputBytes) { return 32 * inputBytes + (int64_t{32} << 20); }

}  // namespace mevlo
