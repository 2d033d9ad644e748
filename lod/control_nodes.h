// Control nodes: Switch (5), XSwitch (15), Split (6), SpecialX (10) and
// RCNode (16). LitString (11) is a plain LodNode: only its common head is read.
#pragma once

#include <array>
#include <vector>

#include "lod/lod_node.h"
#include "lod/packed_table.h"

namespace mevlo {

// A switch holds at most this many branches; table entries past it are
// not read and the branch count is held as this value.
constexpr int32_t kMaxSwitchBranches = 50;

constexpr int32_t SWITCH_REVERSE = 0x1;

// Switch record: switchId, branchCount, branch table offset. The branch
// table holds branchCount node offsets; a negative entry is an empty branch.
// Branch chains get no owner: transforms above a switch do not reach them.
class SwitchNode : public LodNode {
public:
    explicit SwitchNode(LodModel& model) : LodNode(model) {}
    ~SwitchNode() override;

    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;
    void appendChildChains(std::vector<const LodNode*>& heads) const override;

    // Branch i's head, or null (absent, or i outside the held branches).
    LodNode* branch(int32_t i) const {
        return i >= 0 && static_cast<size_t>(i) < branches.size() ? branches[static_cast<size_t>(i)].get() : nullptr;
    }

    int32_t switchId = 0;
    int32_t branchCount = 0;
    // One entry per held branch (max(0, branchCount) entries), null when empty.
    std::vector<NodePtr> branches;

protected:
    // Reads branchCount and the branch table offset, then the branches.
    void readBranches(LodModel& model);
    void printBranches(ListingWriter& out) const;
};

// XSwitch record: switchId, flags, branchCount, branch table offset.
class XSwitchNode final : public SwitchNode {
public:
    explicit XSwitchNode(LodModel& model) : SwitchNode(model) {}

    void printNode(ListingWriter& out) const override;
    void readRecord(LodModel& model) override;

    int32_t flags = 0;
};

// Split record: plane a, b, c, d, then the offsets of the two branch heads.
class SplitNode final : public LodNode {
public:
    explicit SplitNode(LodModel& model) : LodNode(model) {}
    ~SplitNode() override;

    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;
    void appendChildChains(std::vector<const LodNode*>& heads) const override;

    float plane[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    NodePtr branchA;
    NodePtr branchB;
};

constexpr int32_t SPECIAL_NORMAL = 0;
constexpr int32_t SPECIAL_BILLBOARD = 1;
constexpr int32_t SPECIAL_TREE = 2;

// SpecialX record: vertex table offset, vertexCount, specialType, first
// child offset. Answers vertex lookups from its own table, no normals.
class SpecialNode final : public LodNode {
public:
    explicit SpecialNode(LodModel& model) : LodNode(model) {}
    ~SpecialNode() override;

    int32_t getVertex(int32_t index, Vec3& out) const override;
    int32_t getNormal(int32_t index, Vec3& out) const override;
    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;
    void appendChildChains(std::vector<const LodNode*>& heads) const override;

    int32_t specialType = 0;
    int32_t vertexCount = 0;
    Vec3Table vertices;
    NodePtr firstChild;
};

// A LitString node: the common head alone. Written back as its head so it
// survives a round trip.
class LitStringNode final : public LodNode {
public:
    explicit LitStringNode(LodModel& model) : LodNode(model) {}

    int32_t serialize(WordWriter& writer) const override;
};

constexpr int32_t RC_ZBIAS = 1;
constexpr int32_t RC_DOFMATH = 2;
constexpr int8_t RC_OPERAND_DOF = 1;
constexpr int8_t RC_OPERAND_VAR = 2;

struct RcOperation {
    const char* name;
    int32_t argCount;
};

constexpr int32_t kRcOperationCount = 26;
extern const RcOperation rcOperations[kRcOperationCount];

// RCNode record: rcType, then 32 bytes of rcData: opcode (uint16),
// argTypes (5 x int8), resultType (int8), resultIndex (int32), args (5 x 32
// bits). A z-bias is the float in argument slot 1.
class RcNode final : public LodNode {
public:
    explicit RcNode(LodModel& model) : LodNode(model) {}

    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;

    uint16_t opcode() const { return loadU16LE(rcData.data()); }
    int8_t argType(int i) const { return static_cast<int8_t>(rcData[static_cast<size_t>(2 + i)]); }
    int8_t resultType() const { return static_cast<int8_t>(rcData[7]); }
    int32_t resultIndex() const { return loadI32LE(rcData.data() + 8); }
    int32_t argInt(int i) const { return loadI32LE(rcData.data() + 12 + 4 * i); }
    float argFloat(int i) const { return loadF32LE(rcData.data() + 12 + 4 * i); }

    int32_t rcType = 0;
    std::array<uint8_t, 32> rcData{};
};

}  // namespace mevlo
