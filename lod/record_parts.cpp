#include "lod/record_parts.h"

#include "lod/lod_model.h"

namespace mevlo {

Vec3Table readVec3TableField(LodModel& model, int32_t& count) {
    ByteStream& in = model.stream();
    const int32_t offset = readInt32(in);
    count = readInt32(in);
    Vec3Table table = model.readTable<Vec3>(offset, count);
    count = table.count();
    return table;
}

int32_t lookupVec3(const Vec3Table& table, int32_t count, int32_t index, Vec3& out) {
    if (index < 0 || index >= count) return 0;
    out = table[index];
    return 1;
}

NodePtr readChildChain(LodModel& model, LodNode* owner) {
    NodePtr head = model.createNode(readInt32(model.stream()));
    if (head) head->setOwner(owner);
    return head;
}

}  // namespace mevlo
