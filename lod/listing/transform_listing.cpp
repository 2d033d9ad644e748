// Listing of the transform nodes: DOF, XDOF, Translator, Scale and Slot.
#include <cstdio>

#include "common/byte_order.h"
#include "lod/listing/indent.h"
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
    std::printf("HINGE=%f %f %f %f %f %f", static_cast<double>(translation.x), static_cast<double>(translation.y),
                static_cast<double>(translation.z), static_cast<double>(endX), static_cast<double>(endY),
                static_cast<double>(endZ));
}

void printVectorLine(const char* keyword, int32_t dofId, const Vec3& vector) {
    printIndent();
    std::printf("%s ID=%d VECTOR=%f,%f,%f ", keyword, dofId, static_cast<double>(vector.x),
                static_cast<double>(vector.y), static_cast<double>(vector.z));
}

}  // namespace

// Only the reverse, clamp and subrange bits are looked at.
void DofLimitsNode::printLimitWords() const {
    if (flags & DOF_REVERSE) std::fputs("REVERSE ", stdout);
    if (flags & DOF_CLAMP) std::fputs("CLAMP ", stdout);
    if (flags & DOF_SUBRANGE) std::fputs("SUBRANGE ", stdout);
    if (flags & (DOF_SUBRANGE | DOF_CLAMP)) {
        std::printf("MIN=%f MAX=%f ", static_cast<double>(minimum), static_cast<double>(maximum));
    }
    if (bitsOfFloat(multiplier) != kOneBits) std::printf("MULTIPLIER=%f ", static_cast<double>(multiplier));
}

void DofNode::printNode() const {
    printIndent();
    std::printf("DOF ID=%d ", dofId);
    printHinge(rotation, translation);
    std::fputs("\n", stdout);
    printChildren();
    printLine("DOFEND\n");
}

// Opens with the same keyword as a DOF; the limit words and the end line
// tell the two apart.
void XDofNode::printNode() const {
    printIndent();
    std::printf("DOF ID=%d ", dofId);
    printHinge(rotation, translation);
    std::fputs(" ", stdout);
    printLimitWords();
    std::fputs("\n", stdout);
    printChildren();
    printLine("XDOFEND\n");
}

void TranslatorNode::printNode() const {
    printVectorLine("TRANS", dofId, vector);
    printLimitWords();
    std::fputs("\n", stdout);
    printChildren();
    printLine("TRANSEND\n");
}

void ScaleNode::printNode() const {
    printVectorLine("SCALE", dofId, vector);
    printLimitWords();
    std::fputs("\n", stdout);
    printChildren();
    printLine("SCALEEND\n");
}

// The matrix prints in memory order, column by column.
void SlotNode::printNode() const {
    const float* m = rotation.m;
    printIndent();
    std::printf("SLOT ID=%d POS=%f,%f,%f MATRIX=%f,%f,%f, %f,%f,%f, %f,%f,%f\n", slotId,
                static_cast<double>(position.x), static_cast<double>(position.y), static_cast<double>(position.z),
                static_cast<double>(m[0]), static_cast<double>(m[1]), static_cast<double>(m[2]),
                static_cast<double>(m[3]), static_cast<double>(m[4]), static_cast<double>(m[5]),
                static_cast<double>(m[6]), static_cast<double>(m[7]), static_cast<double>(m[8]));
}

}  // namespace mevlo
