// Listing of the transform nodes: DOF, XDOF, Translator, Scale and Slot.
#include "common/byte_order.h"
#include "lod/listing/fixed_format.h"
#include "lod/listing/indent.h"
#include "lod/listing/listing_output.h"
#include "lod/transform_nodes.h"

namespace mevlo {

namespace {

// Bit pattern of 1.0f: the neutral multiplier, which is not shown. The test
// is on the bits so that -0.0 and every NaN are shown.
constexpr uint32_t kOneBits = 0x3F800000u;

// The hinge: the translation, then the point (1, 0, 0) carried through the
// transform, R(.,0) + translation, summed in single precision.
void printHinge(const Mat3& rotation, const Vec3& translation) {
    const float endX = rotation.at(0, 0) + translation.x;
    const float endY = rotation.at(1, 0) + translation.y;
    const float endZ = rotation.at(2, 0) + translation.z;
    listFormatted("HINGE=%s %s %s %s %s %s", Fixed6Text(translation.x).c_str(), Fixed6Text(translation.y).c_str(),
                Fixed6Text(translation.z).c_str(), Fixed6Text(endX).c_str(), Fixed6Text(endY).c_str(),
                Fixed6Text(endZ).c_str());
}

void printVectorLine(const char* keyword, int32_t dofId, const Vec3& vector) {
    printIndent();
    listFormatted("%s ID=%d VECTOR=%s,%s,%s ", keyword, dofId, Fixed6Text(vector.x).c_str(),
                Fixed6Text(vector.y).c_str(), Fixed6Text(vector.z).c_str());
}

}  // namespace

// Only the reverse, clamp and subrange bits are looked at.
void DofLimitsNode::printLimitWords() const {
    if (flags & DOF_REVERSE) listText("REVERSE ");
    if (flags & DOF_CLAMP) listText("CLAMP ");
    if (flags & DOF_SUBRANGE) listText("SUBRANGE ");
    if (flags & (DOF_SUBRANGE | DOF_CLAMP)) {
        listFormatted("MIN=%s MAX=%s ", Fixed6Text(minimum).c_str(), Fixed6Text(maximum).c_str());
    }
    if (bitsOfFloat(multiplier) != kOneBits) listFormatted("MULTIPLIER=%s ", Fixed6Text(multiplier).c_str());
}

void DofNode::printNode() const {
    printIndent();
    listFormatted("DOF ID=%d ", dofId);
    printHinge(rotation, translation);
    listText("\n");
    printChildren();
    printLine("DOFEND\n");
}

// Opens with the same keyword as a DOF; the limit words and the end line
// tell the two apart.
void XDofNode::printNode() const {
    printIndent();
    listFormatted("DOF ID=%d ", dofId);
    printHinge(rotation, translation);
    listText(" ");
    printLimitWords();
    listText("\n");
    printChildren();
    printLine("XDOFEND\n");
}

void TranslatorNode::printNode() const {
    printVectorLine("TRANS", dofId, vector);
    printLimitWords();
    listText("\n");
    printChildren();
    printLine("TRANSEND\n");
}

void ScaleNode::printNode() const {
    printVectorLine("SCALE", dofId, vector);
    printLimitWords();
    listText("\n");
    printChildren();
    printLine("SCALEEND\n");
}

// The matrix prints in memory order, column by column.
void SlotNode::printNode() const {
    const float* m = rotation.m;
    printIndent();
    listFormatted("SLOT ID=%d POS=%s,%s,%s MATRIX=%s,%s,%s, %s,%s,%s, %s,%s,%s\n", slotId,
                Fixed6Text(position.x).c_str(), Fixed6Text(position.y).c_str(), Fixed6Text(position.z).c_str(),
                Fixed6Text(m[0]).c_str(), Fixed6Text(m[1]).c_str(), Fixed6Text(m[2]).c_str(), Fixed6Text(m[3]).c_str(),
                Fixed6Text(m[4]).c_str(), Fixed6Text(m[5]).c_str(), Fixed6Text(m[6]).c_str(), Fixed6Text(m[7]).c_str(),
                Fixed6Text(m[8]).c_str());
}

}  // namespace mevlo
