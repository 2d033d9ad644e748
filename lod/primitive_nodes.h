// Primitive nodes: PT (7) and CP (9) hold one primitive, LP (8) a pair
// (side A, side B). Their records hold the common head and the offsets of
// the primitive records.
#pragma once

#include <memory>

#include "lod/lod_node.h"
#include "lod/node_arena.h"
#include "lod/primitive.h"

namespace mevlo {

// Shared reading for PT and CP: one primitive record offset.
class SinglePrimitiveNode : public LodNode {
public:
    explicit SinglePrimitiveNode(LodModel& model) : LodNode(model) {}

    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;

    // Null when the record could not be reached.
    ArenaPtr<Primitive> primitive;
};

class PrimNode final : public SinglePrimitiveNode {
public:
    explicit PrimNode(LodModel& model) : SinglePrimitiveNode(model) {}
    void printNode() const override;
};

class PolygonNode final : public SinglePrimitiveNode {
public:
    explicit PolygonNode(LodModel& model) : SinglePrimitiveNode(model) {}
    void printNode() const override;
};

class DblPolyNode final : public LodNode {
public:
    explicit DblPolyNode(LodModel& model) : LodNode(model) {}

    void printNode() const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;

    ArenaPtr<Primitive> sideA;
    ArenaPtr<Primitive> sideB;
};

// Reads a primitive at dataBase + offset; null when that position is
// before the start of the file. The stream is left after the record.
ArenaPtr<Primitive> readPrimitiveAt(LodModel& model, int32_t offset, LodNode* holder);

}  // namespace mevlo
