// The name every output gives a written mesh: the 3DS object, the glTF
// mesh and the summary of a model all call it the same.
#pragma once

#include <cstdint>
#include <string>

namespace mevlo {

// The mesh's number among the written meshes (from 0, no gaps) in decimal,
// with leading zeros to four digits: "0000", "0001", ... "9999", then
// "10000" and on, so that names stay distinct. A 3DS object name holds at
// most ten characters, as many as the largest int32 number has digits.
std::string meshName(int64_t number);

}  // namespace mevlo
