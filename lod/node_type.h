// Node type codes and the type word that begins each record of that type.
#pragma once

#include <cstdint>

namespace mevlo {

enum NodeType : int32_t {
    NODE_UNUSED = 0,
    NODE_SUBTREE = 1,
    NODE_ROOT = 2,
    NODE_SLOT = 3,
    NODE_DOF = 4,
    NODE_SWITCH = 5,
    NODE_SPLIT = 6,
    NODE_PT = 7,
    NODE_LP = 8,
    NODE_CP = 9,
    NODE_SPECIALX = 10,
    NODE_LITSTRING = 11,
    NODE_TRANSLATOR = 12,
    NODE_SCALE = 13,
    NODE_XDOF = 14,
    NODE_XSWITCH = 15,
    NODE_RCNODE = 16,
};

constexpr int32_t kNodeTypeCount = 17;

struct NodeTypeEntry {
    int32_t typeWord;
    const char* name;
};

extern const NodeTypeEntry NodeTypeTable[kNodeTypeCount];

inline bool isKnownNodeType(int32_t code) { return code >= 0 && code < kNodeTypeCount; }

// Codes whose class is built on the SubTree body (own vertex table and child chain).
inline bool isGeometryNodeType(int32_t code) {
    return code == NODE_SUBTREE || code == NODE_ROOT || code == NODE_DOF || code == NODE_TRANSLATOR ||
           code == NODE_SCALE || code == NODE_XDOF;
}

}  // namespace mevlo
