// Parts of a record that several node classes share: a vector table named
// by an offset word and a count word, and a child chain named by an offset
// word. Geometry containers and SpecialX nodes both hold them.
#pragma once

#include <cstdint>

#include "common/vec.h"
#include "lod/lod_node.h"
#include "lod/packed_table.h"

namespace mevlo {

// Reads the offset and count words at the stream position and views the
// table there. count becomes the entries the view holds: an unreadable
// table is absent and counts as empty.
Vec3Table readVec3TableField(LodModel& model, int32_t& count);

// Entry index of a table of count entries: 1 and out filled, or 0.
int32_t lookupVec3(const Vec3Table& table, int32_t count, int32_t index, Vec3& out);

// Reads a child offset word and builds the chain there, owned by owner.
NodePtr readChildChain(LodModel& model, LodNode* owner);

}  // namespace mevlo
