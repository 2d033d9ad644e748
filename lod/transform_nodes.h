// Transform nodes: DOF (4), Translator (12), Scale (13), XDOF (14) are
// geometry containers with a degree-of-freedom number and transform
// parameters after the SubTree body; Slot (3) is a leaf with a matrix, a
// position and a slot number.
#pragma once

#include "lod/subtree_node.h"

namespace mevlo {

// DOF_* bits of the flags word of Translator, Scale and XDOF nodes.
constexpr int32_t DOF_REVERSE = 0x1;
constexpr int32_t DOF_CLAMP = 0x2;
constexpr int32_t DOF_SUBRANGE = 0x4;
// Set by the reader on every XDOF node's flags.
constexpr uint32_t kXDofReaderBit = 0x80000000u;

// DOF record: SubTree body, dofId, rotation e0..e8 (row by row),
// translation. Answers lookups with its stored vectors transformed.
class DofNode final : public SubTreeNode {
public:
    explicit DofNode(LodModel& model) : SubTreeNode(model) {}

    int32_t getVertex(int32_t index, Vec3& out) const override;
    int32_t getNormal(int32_t index, Vec3& out) const override;
    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;

    int32_t dofId = 0;
    Mat3 rotation;
    Vec3 translation;
};

// The degree-of-freedom words that Translator, Scale and XDOF records share
// after the SubTree body: dofId, minimum, maximum, multiplier, opaqueValue,
// flags. The limits and the multiplier are stored and listed, never applied.
class DofLimitsNode : public SubTreeNode {
public:
    explicit DofLimitsNode(LodModel& model) : SubTreeNode(model) {}

    int32_t dofId = 0;
    float minimum = 0.0f;
    float maximum = 0.0f;
    float multiplier = 0.0f;
    float opaqueValue = 0.0f;
    int32_t flags = 0;

protected:
    void readDofLimits(LodModel& model);
    void serializeDofLimits(WordWriter& writer) const;
    // REVERSE, CLAMP, SUBRANGE, MIN/MAX and MULTIPLIER words of a listing line.
    void printLimitWords(ListingWriter& out) const;
};

// Translator record: SubTree body, the DOF limit words, vector. Scale adds
// opaqueVector.
class TranslatorNode : public DofLimitsNode {
public:
    explicit TranslatorNode(LodModel& model) : DofLimitsNode(model) {}

    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;

    Vec3 vector;

protected:
    void readTranslatorFields(LodModel& model);
    void serializeTranslatorFields(WordWriter& writer) const;
    // The listing of both kinds: keyword line, children, end line.
    void printVectorNode(ListingWriter& out, const char* keyword, const char* endLine) const;
};

class ScaleNode final : public TranslatorNode {
public:
    explicit ScaleNode(LodModel& model) : TranslatorNode(model) {}

    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;

    Vec3 opaqueVector;
};

// XDOF record: SubTree body, the DOF limit words, rotation, translation.
// Lookups answer the stored vectors; its transform reaches only the
// geometry below it.
class XDofNode final : public DofLimitsNode {
public:
    explicit XDofNode(LodModel& model) : DofLimitsNode(model) {}

    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;

    Mat3 rotation;
    Vec3 translation;
};

// Slot record: rotation e0..e8, position, slotId (last).
class SlotNode final : public LodNode {
public:
    explicit SlotNode(LodModel& model) : LodNode(model) {}

    void printNode(ListingWriter& out) const override;
    int32_t serialize(WordWriter& writer) const override;
    void readRecord(LodModel& model) override;

    Mat3 rotation;
    Vec3 position;
    int32_t slotId = 0;
};

}  // namespace mevlo
