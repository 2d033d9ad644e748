// The walk over a loaded LOD tree that every output format shares.
//
// The walk decides which containers become meshes, in which order, which
// primitives go into which mesh and how a polygon is fanned into triangles;
// a sink decides what to make of it (a 3DS scene with its capacities, a glTF
// node hierarchy, counts). Keeping one walk keeps the formats in step: a
// face one writer keeps, every writer keeps.
//
// Mesh numbers count the containers in the order the walk opens them. A
// container opened as the start node or as a switch branch head takes the
// primitives of its following siblings as well (they address its tables);
// a container met inside a chain leaves its siblings to the enclosing walk.
#pragma once

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace mevlo {

class LodNode;
class Primitive;
class SlotNode;
class SubTreeNode;
class SwitchNode;

// One kept fan triangle: the vertex indices (the low 16 bits of the index
// words) and the primitive corners they came from, 0, corner, corner + 1.
struct FanFace {
    uint16_t a = 0;
    uint16_t b = 0;
    uint16_t c = 0;
    int32_t corner = 1;
};

struct FanOutcome {
    std::vector<FanFace> kept;
    // Faces left out because an index named a vertex the mesh does not have.
    int64_t dropped = 0;
};

// Fans with fewer indices than this are cheaper to build than to look up.
constexpr int32_t kFanMemoMinIndices = 64;

// What the walk reports. Every call that returns bool may stop the walk by
// answering false; the walk then returns false at once.
class TreeWalkSink {
public:
    virtual ~TreeWalkSink();

    // A fan stops once it has kept more faces than this (a sink with a
    // smaller face capacity would fail on them anyway).
    virtual int64_t fanFaceLimit() const;

    // A container opens mesh number `mesh`; its child chain follows.
    virtual bool openContainer(const SubTreeNode& node, int32_t mesh) = 0;
    // The child chain is done. Any siblings that follow still add their
    // primitives to the container's mesh, but stand beside it in the tree.
    virtual void containerChildrenDone(const SubTreeNode& node, int32_t mesh);
    // Nothing more goes into the mesh.
    virtual void closeContainer(const SubTreeNode& node, int32_t mesh);

    // The fan of a primitive with three or more vertex indices held by
    // `holder`, going into `mesh`. Every primitive type is fanned; point
    // and line primitives are reported again below.
    virtual bool polygonFan(int32_t mesh, const Primitive& primitive, const LodNode& holder,
                            const FanOutcome& fan) = 0;
    // A PT, CP or LP node whose primitives go into `mesh`, before they are
    // reported.
    virtual bool primitiveHolder(int32_t mesh, const LodNode& holder);
    // A point (type 0) or line (type 1) primitive going into `mesh`.
    virtual bool pointOrLinePrimitive(int32_t mesh, const Primitive& primitive, const LodNode& holder);

    // A Switch or XSwitch and each of its present branches.
    virtual void enterSwitch(const SwitchNode& node);
    virtual void enterBranch(const SwitchNode& node, int32_t branch);
    virtual void leaveBranch(const SwitchNode& node, int32_t branch);
    virtual void leaveSwitch(const SwitchNode& node);

    // A Slot met in a walked chain: an attachment point.
    virtual void slot(const SlotNode& node);
};

// Walks the tree from its start node (normally the model's root; may be
// null). A geometry start node opens the first mesh; any other start node
// has its chain walked with no mesh, so primitives there add nothing.
// False when the sink stopped the walk.
bool walkTree(const LodNode* start, TreeWalkSink& sink);

// Geometry codes that open a mesh when met inside a chain (a Root there is
// not a container of the tree and contributes nothing).
bool opensMeshInChain(int32_t code);

// Treats a primitive as a point or line primitive (types 0 and 1).
bool isPointOrLinePrimitive(const Primitive& primitive);

}  // namespace mevlo
