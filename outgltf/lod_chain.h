// `extras.lod.chain`: a LOD child chain as the glTF nodes cannot show it.
//
// An array with one object per chain member (k holders in a row make one),
// in chain order. Every item is an object: a tool that keeps extras as its
// own properties (Blender) cannot hold a list that mixes objects, numbers
// and strings, and would turn the whole of `extras.lod` into a string.
//   {"type": "Child"}  the member is the next glTF child of the node (a
//            container, switch or slot; children are taken in their `order`);
//   {"type": "Primitives", "count": k}  k primitive holders (PT, CP, LP) in
//            a row, whose records are the next k of the current records
//            view (see lod_records.h);
//   {"type": "Split", "plane": [a, b, c, d], "a": [...], "b": [...]};
//   {"type": "LitString"};
//   {"type": "RCNode", "rcType": t, "data": [8 words]};
//   {"type": "SpecialX", "special": t, "vertices": [x, y, z, ...]};
//   {"type": "Root"} or {"type": "Unknown", "code": c} (kept in place,
//   without what they hold).
// The current records view is the container's own; in a switch branch or
// after the start container whose first member is a container, it is that
// container's (its siblings address its tables).
#pragma once

#include "common/json_writer.h"

namespace mevlo {

class LodNode;

// `headOpensMesh`: the head is a switch branch head, which opens a mesh
// even as a Root.
void writeLodChain(JsonWriter& json, const LodNode* head, bool headOpensMesh);

}  // namespace mevlo
