// The positions a geometry node's vertices take in a 3DS file: its vertex
// table as the node answers for it (a DOF applies its own transform), moved
// by the transforms of its DOF and XDOF ancestors into the frame of the
// tree's top, then turned into the output axes.
#pragma once

#include <cstdint>

#include "common/vec.h"

namespace mevlo {

class SubTreeNode;

// DOF and XDOF nodes up the owner links of the node: each transforms every
// vertex of the node once more.
int64_t countTransformingAncestors(const SubTreeNode& node);

// Applies the DOF and XDOF transforms found up the owner links of the node
// to count positions, nearest ancestor first.
void applyAncestorTransforms(const SubTreeNode& node, Vec3* vertices, int32_t count);

// Writes the positions of the node's vertices first .. first+count-1 in the
// frame of the tree's top, still in LOD axes, to out. A vertex the node
// cannot look up is the origin before the transforms: it still takes its
// slot, so later indices keep their meaning.
void produceTopFramePositions(const SubTreeNode& node, int32_t first, int32_t count, Vec3* out);

// The same positions in 3DS axes.
void produceOutputPositions(const SubTreeNode& node, int32_t first, int32_t count, Vec3* out);

}  // namespace mevlo
