// Listing of the transform nodes: DOF, XDOF, Translator, Scale and Slot.
#include "common/byte_order.h"
#include "lod/listing/fixed_format.h"
#include "lod/listing/listing_writer.h"
#include "lod/transform_nodes.h"

namespace mevlo {

namespace {

// Bit pattern of 1.0f: the neutral multiplier, which is not shown. The test
// is on the bits so that -0.0 and every NaN are shown.
constexpr uint32_t kOneBits = 0x3F800000u;

// The start of a DOF or XDOF line with its hinge: the translation, then the
// point (1, 0, 0) carried through the transform, R(.,0) + translation,
// summed in single precision.
void printHingeLine(ListingWriter& out, int32_t dofId, const Mat3& rotation, const Vec3& translation) {
    out.indent();
    out.formatted("DOF ID=%d ", dofId);
    const float endX = rotation.at(0, 0) + translation.x;
    const float endY = rotation.at(1, 0) + translation.y;
    const float endZ = rotation.at(2, 0) + translation.z;
    out.formatted("HINGE=%s %s %s %s %s %s", Fixed6Text(translation.x).c_str(), Fixed6Text(translation.y).c_str(),
                Fixed6Text(translation.z).c_str(), Fixed6Text(endX).c_str(), Fixed6Text(endY).c_str(),
                Fixed6Text(endZ).c_str());
}

void printVectorLine(ListingWriter& out, const char* keyword, int32_t dofId, const Vec3& vector) {
    out.indent();
    out.formatted("%s ID=%d VECTOR=%s,%s,%s ", keyword, dofId, Fixed6Text(vector.x).c_str(),
                Fixed6Text(vector.y).c_str(), Fixed6Text(vector.z).c_str());
}

}  // namespace

// Only the reverse, clamp and subrange bits are looked at.
void DofLimitsNode::printLimitWords(ListingWriter& out) const {
    if (flags & DOF_REVERSE) out.text("REVERSE ");
    if (flags & DOF_CLAMP) out.text("CLAMP ");
    if (flags & DOF_SUBRANGE) out.text("SUBRANGE ");
    if (flags & (DOF_SUBRANGE | DOF_CLAMP)) {
        out.formatted("MIN=%s MAX=%s ", Fixed6Text(minimum).c_str(), Fixed6Text(maximum).c_str());
    }
    if (bitsOfFloat(multiplier) != kOneBits) out.formatted("MULTIPLIER=%s ", Fixed6Text(multiplier).c_str());
}

void DofNode::printNode(ListingWriter& out) const {
    printHingeLine(out, dofId, rotation, translation);
    out.text("\n");
    printChildren(out);
    out.line("DOFEND\n");
}

// Opens with the same keyword as a DOF; the limit words and the end line
// tell the two apart.
void XDofNode::printNode(ListingWriter& out) const {
    printHingeLine(out, dofId, rotation, translation);
    out.text(" ");
    printLimitWords(out);
    out.text("\n");
    printChildren(out);
    out.line("XDOFEND\n");
}

void TranslatorNode::printVectorNode(ListingWriter& out, const char* keyword, const char* endLine) const {
    printVectorLine(out, keyword, dofId, vector);
    printLimitWords(out);
    out.text("\n");
    printChildren(out);
    out.line(endLine);
}

void TranslatorNode::printNode(ListingWriter& out) const { printVectorNode(out, "TRANS", "TRANSEND\n"); }

void ScaleNode::printNode(ListingWriter& out) const { printVectorNode(out, "SCALE", "SCALEEND\n"); }

// The matrix prints in memory order, column by column.
void SlotNode::printNode(ListingWriter& out) const {
    const float* m = rotation.m;
    out.indent();
    out.formatted("SLOT ID=%d POS=%s,%s,%s MATRIX=%s,%s,%s, %s,%s,%s, %s,%s,%s\n", slotId,
                Fixed6Text(position.x).c_str(), Fixed6Text(position.y).c_str(), Fixed6Text(position.z).c_str(),
                Fixed6Text(m[0]).c_str(), Fixed6Text(m[1]).c_str(), Fixed6Text(m[2]).c_str(), Fixed6Text(m[3]).c_str(),
                Fixed6Text(m[4]).c_str(), Fixed6Text(m[5]).c_str(), Fixed6Text(m[6]).c_str(), Fixed6Text(m[7]).c_str(),
                Fixed6Text(m[8]).c_str());
}

}  // namespace mevlo
