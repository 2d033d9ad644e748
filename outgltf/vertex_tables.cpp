#include "outgltf/vertex_tables.h"

#include <cmath>

#include "common/axes.h"
#include "common/byte_order.h"
#include "common/vec.h"
#include "lod/subtree_node.h"

namespace mevlo {

std::shared_ptr<const GltfVertexTable> GltfVertexTables::tableOf(const SubTreeNode& container) {
    const uint8_t* stored = container.vertices.bytes();
    const int32_t n = container.vertexCount;
    if (last_ && last_->source == stored && last_->count == n) return last_;
    auto table = std::make_shared<GltfVertexTable>();
    table->source = stored;
    table->count = n;
    table->positions.reset(new float[3 * static_cast<size_t>(n)]);
    table->finite.reset(new uint8_t[static_cast<size_t>(n)]);
    float* positions = table->positions.get();
    uint8_t* finite = table->finite.get();
    const auto allFinite = [](const float* p) {
        return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
    };
    if (scale_ == 1.0) {
        // Unscaled, the glTF axes only reorder and negate the stored
        // floats, which is exact in float as it is in double.
        for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
            const uint8_t* at = stored + 12 * i;
            float* out = positions + 3 * i;
            out[0] = loadF32LE(at + 4);
            out[1] = -loadF32LE(at + 8);
            out[2] = -loadF32LE(at);
            finite[i] = allFinite(out);
        }
    } else {
        for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
            const Vec3d p = toGltfAxes(loadVec3LE(stored + 12 * i));
            float* out = positions + 3 * i;
            out[0] = static_cast<float>(p.x * scale_);
            out[1] = static_cast<float>(p.y * scale_);
            out[2] = static_cast<float>(p.z * scale_);
            finite[i] = allFinite(out);
        }
    }
    last_ = std::move(table);
    return last_;
}

}  // namespace mevlo
