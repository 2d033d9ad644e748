#include "lod/transform_nodes.h"

#include "lod/lod_model.h"

namespace mevlo {

namespace {

// Nine floats e0..e8 stored row by row in the record.
Mat3 readMatrix(ByteStream& in) {
    Mat3 matrix;
    for (int i = 0; i < 9; ++i) matrix.setFileValue(i, readFloat(in));
    return matrix;
}

Vec3 readVector(ByteStream& in) {
    Vec3 v;
    v.x = readFloat(in);
    v.y = readFloat(in);
    v.z = readFloat(in);
    return v;
}

}  // namespace

int32_t DofNode::getVertex(int32_t index, Vec3& out) const {
    if (index < 0 || index >= vertexCount) return 0;
    out = transformPoint(rotation, translation, vertices[index]);
    return 1;
}

int32_t DofNode::getNormal(int32_t index, Vec3& out) const {
    if (index < 0 || index >= normalCount) return 0;
    out = rotatePoint(rotation, normals[index]);
    return 1;
}

void DofNode::readRecord(LodModel& model) {
    readSubTreeBody(model);
    ByteStream& in = model.stream();
    dofId = readInt32(in);
    rotation = readMatrix(in);
    translation = readVector(in);
}

void DofLimitsNode::readDofLimits(LodModel& model) {
    ByteStream& in = model.stream();
    dofId = readInt32(in);
    minimum = readFloat(in);
    maximum = readFloat(in);
    multiplier = readFloat(in);
    opaqueValue = readFloat(in);
    flags = readInt32(in);
}

void TranslatorNode::readTranslatorFields(LodModel& model) {
    readDofLimits(model);
    vector = readVector(model.stream());
}

void TranslatorNode::readRecord(LodModel& model) {
    readSubTreeBody(model);
    readTranslatorFields(model);
}

void ScaleNode::readRecord(LodModel& model) {
    readSubTreeBody(model);
    readTranslatorFields(model);
    opaqueVector = readVector(model.stream());
}

void XDofNode::readRecord(LodModel& model) {
    readSubTreeBody(model);
    readDofLimits(model);
    flags = static_cast<int32_t>(static_cast<uint32_t>(flags) | kXDofReaderBit);
    ByteStream& in = model.stream();
    rotation = readMatrix(in);
    translation = readVector(in);
}

void SlotNode::readRecord(LodModel& model) {
    ByteStream& in = model.stream();
    rotation = readMatrix(in);
    position = readVector(in);
    slotId = readInt32(in);
}

}  // namespace mevlo
