// What one import may build, in bytes of the LOD tree (and the work that
// comes with them), in proportion to the input's size. A glTF file can
// name the same data many times at the cost of a few bytes each (a mesh
// used by many nodes, an accessor read by many primitives, a records view
// named by many containers), and the LOD format has no way to share it:
// without this, a small file could make an import of any size.
#pragma once

#include <cstdint>

namespace mevlo {

class ImportBudget {
public:
    // The tree may take this many times the input's bytes, plus room for
    // small files.
    static constexpr uint64_t kPerInputByte = 32;
    static constexpr uint64_t kBase = uint64_t{64} << 20;

    ImportBudget() = default;
    explicit ImportBudget(uint64_t inputBytes)
        : left_(inputBytes <= (UINT64_MAX - kBase) / kPerInputByte ? kPerInputByte * inputBytes + kBase : UINT64_MAX) {}

    // Takes bytes from the budget; false (and the budget is spent for
    // good) when they are not there: the import cannot go on.
    bool charge(uint64_t bytes) {
        if (!tryCharge(bytes)) {
            overdrawn_ = true;
            return false;
        }
        return true;
    }
    // Takes bytes if they are there; false otherwise, leaving the budget as
    // it was (for what the import can do without).
    bool tryCharge(uint64_t bytes) {
        if (overdrawn_ || bytes > left_) return false;
        left_ -= bytes;
        return true;
    }
    bool overdrawn() const { return overdrawn_; }
    uint64_t left() const { return overdrawn_ ? 0 : left_; }

private:
    uint64_t left_ = 0;
    bool overdrawn_ = false;
};

// The one line a refused import gets.
inline const char* importBudgetFailure() {
    return "Model too large for its file: as LOD it would take more than 32 times the glTF's size "
           "(data named many times over)";
}

}  // namespace mevlo
