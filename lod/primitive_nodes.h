// Primitive nodes: PT (7) and CP (9) hold one primitive, LP (8) a pair
// (side A, side B). Their records hold the common head and the offsets of
// the primitive records.
#pragma once

#include "lod/lod_node.h"
#include "lod/primitive.h"

namespace mevlo {

// Nodes hold their primitives in place. One that was read has its holder as
// owner; one whose record could not be reached has none and is not shown.
inline const Primitive* heldOrNull(const Primitive& primitive) { return primitive.owner ? &primitive : nullptr; }

// Shared reading for PT and CP: one primitive record offset.
class SinglePrimitiveNode : public LodNode {
public:
    explicit SinglePrimitiveNode(LodModel& model) : LodNode(model) {}

    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;

    // Null when the record could not be reached.
    const Primitive* primitive() const { return heldOrNull(primitive_); }

private:
    Primitive primitive_;
};

class PrimNode final : public SinglePrimitiveNode {
public:
    explicit PrimNode(LodModel& model) : SinglePrimitiveNode(model) {}
    void printNode(ListingWriter& out) const override;
};

class PolygonNode final : public SinglePrimitiveNode {
public:
    explicit PolygonNode(LodModel& model) : SinglePrimitiveNode(model) {}
    void printNode(ListingWriter& out) const override;
};

class DblPolyNode final : public LodNode {
public:
    explicit DblPolyNode(LodModel& model) : LodNode(model) {}

    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;

    // Null when the record could not be reached.
    const Primitive* sideA() const { return heldOrNull(sideA_); }
    const Primitive* sideB() const { return heldOrNull(sideB_); }

private:
    Primitive sideA_;
    Primitive sideB_;
};

// Reads the primitive at dataBase + offset into `primitive`, unless that
// position is before the start of the file.
void readPrimitiveAt(LodModel& model, int32_t offset, LodNode* holder, Primitive& primitive);

}  // namespace mevlo
