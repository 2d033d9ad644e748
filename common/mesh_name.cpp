#include "common/mesh_name.h"

namespace mevlo {

std::string meshName(int64_t number) {
    std::string digits = std::to_string(number);
    if (number >= 0 && digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return digits;
}

}  // namespace mevlo
