// Geometry containers: SubTree (code 1) and Root (code 2).
//
// SubTree record after the common head: vertex table offset, vertexCount,
// opaqueA, opaqueB, normal table offset, normalCount, first child offset
// (36 bytes in all). Root adds texture table offset, textureCount, script.
// The transform containers (DOF, Translator, Scale, XDOF) share the SubTree
// body and continue their record at +36.
#pragma once

#include "lod/lod_node.h"
#include "lod/packed_table.h"

namespace mevlo {

class SubTreeNode : public LodNode {
public:
    explicit SubTreeNode(LodModel& model) : LodNode(model) {}
    ~SubTreeNode() override;

    int32_t getVertex(int32_t index, Vec3& out) const override;
    int32_t getNormal(int32_t index, Vec3& out) const override;
    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;
    void appendChildChains(std::vector<const LodNode*>& heads) const override;

    // Serializes the common head and the SubTree body words under `code`,
    // leaving the slots for the caller (used by every class of the family).
    struct BodySlots {
        int32_t next = -1;
        int32_t vertexTable = -1;
        int32_t normalTable = -1;
        int32_t firstChild = -1;
    };
    BodySlots serializeBody(WordWriter& writer, int32_t code) const;
    // Writes the child chain and the vertex and normal tables after the record.
    void serializeTail(WordWriter& writer, const BodySlots& slots) const;
    // Lists the child chain one level deeper.
    void printChildren(ListingWriter& out) const;

    int32_t vertexCount = 0;
    int32_t normalCount = 0;
    int32_t opaqueA = 0;
    int32_t opaqueB = 0;
    Vec3Table vertices;
    Vec3Table normals;
    NodePtr firstChild;

protected:
    // Reads the 28-byte SubTree body (tables, opaque words, child chain).
    void readSubTreeBody(LodModel& model);
};

class RootNode final : public SubTreeNode {
public:
    explicit RootNode(LodModel& model) : SubTreeNode(model) {}

    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;

    int32_t textureCount = 0;
    Int32Table textures;
    int32_t script = 0;
};

}  // namespace mevlo
