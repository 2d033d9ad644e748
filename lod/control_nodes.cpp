#include "lod/control_nodes.h"

#include "lod/lod_model.h"
#include "lod/record_parts.h"

namespace mevlo {

const RcOperation rcOperations[kRcOperationCount] = {
    {"Set", 1},
    {"Add", 2},
    {"Subtract", 2},
    {"Multiply", 2},
    {"Divide", 2},
    {"Modulate", 2},
    {"Cos", 1},
    {"ACos", 1},
    {"Sin", 1},
    {"ASin", 1},
    {"Tan", 1},
    {"ATan", 1},
    {"ATan2", 2},
    {"Angle_From_Adj_Hyp", 2},
    {"Angle_From_Opp_Hyp", 2},
    {"Angle_From_Opp_Adj", 2},
    {"LengthOfAdj_From_Angle_Opp", 2},
    {"LengthOfOpp_From_Angle_Adj", 2},
    {"AngleA_From_AngleB_Sidea_Sideb", 3},
    {"AngleA_From_AngleB_Sidea_Sidec", 3},
    {"AngleA_From_Sidea_Sideb_Sidec", 3},
    {"SideA_From_AngleA_Sideb_Sidec", 3},
    {"Clamp", 3},
    {"Normalize", 3},
    {"MultFrameTime", 1},
    {"Print", 5},
};

SwitchNode::~SwitchNode() {
    for (auto& branchHead : branches) destroyChain(branchHead);
}

// The branch table holds one node offset per branch; negative entries are
// empty branches. Only the first kMaxSwitchBranches entries are read. A
// table that cannot be sought (before the start of the file) gives no
// branches; entries past the end of the file read as 0.
void SwitchNode::readBranches(LodModel& model) {
    ByteStream& in = model.stream();
    branchCount = readInt32(in);
    const int32_t tableOffset = readInt32(in);
    if (branchCount > kMaxSwitchBranches) branchCount = kMaxSwitchBranches;
    if (branchCount <= 0) return;
    branches.resize(static_cast<size_t>(branchCount));
    if (!in.seek(model.dataBase + tableOffset)) return;
    for (auto& branchHead : branches) {
        const int32_t entry = readInt32(in);
        if (entry >= 0) branchHead = model.createNode(entry);
    }
}

void SwitchNode::appendChildChains(std::vector<const LodNode*>& heads) const {
    for (const auto& branchHead : branches) heads.push_back(branchHead.get());
}

void SwitchNode::readRecord(LodModel& model) {
    switchId = readInt32(model.stream());
    readBranches(model);
}

void XSwitchNode::readRecord(LodModel& model) {
    ByteStream& in = model.stream();
    switchId = readInt32(in);
    flags = readInt32(in);
    readBranches(model);
}

SplitNode::~SplitNode() {
    destroyChain(branchA);
    destroyChain(branchB);
}

void SplitNode::appendChildChains(std::vector<const LodNode*>& heads) const {
    heads.push_back(branchA.get());
    heads.push_back(branchB.get());
}

void SplitNode::readRecord(LodModel& model) {
    ByteStream& in = model.stream();
    for (float& value : plane) value = readFloat(in);
    const int32_t offsetA = readInt32(in);
    const int32_t offsetB = readInt32(in);
    branchA = model.createNode(offsetA);
    branchB = model.createNode(offsetB);
    if (branchA) branchA->setOwner(this);
    if (branchB) branchB->setOwner(this);
}

SpecialNode::~SpecialNode() { destroyChain(firstChild); }

int32_t SpecialNode::getVertex(int32_t index, Vec3& out) const { return lookupVec3(vertices, vertexCount, index, out); }

int32_t SpecialNode::getNormal(int32_t, Vec3&) const { return 0; }

void SpecialNode::appendChildChains(std::vector<const LodNode*>& heads) const { heads.push_back(firstChild.get()); }

void SpecialNode::readRecord(LodModel& model) {
    vertices = readVec3TableField(model, vertexCount);
    specialType = readInt32(model.stream());
    firstChild = readChildChain(model, this);
}

void RcNode::readRecord(LodModel& model) {
    ByteStream& in = model.stream();
    rcType = readInt32(in);
    for (uint8_t& byte : rcData) byte = readByte(in);
}

}  // namespace mevlo
