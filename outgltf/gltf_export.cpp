#include "outgltf/gltf_export.h"

#include "outgltf/gltf_builder.h"

namespace mevlo {

int64_t gltfElementLimit(int64_t inputBytes) {
    // An honest file spends at least four bytes of index per face, point
    // or segment; this leaves room for any such file and for moderate
    // sharing of index blocks.
    constexpr int64_t kBase = 16 * 1024 * 1024;
    return kBase + 16 * (inputBytes > 0 ? inputBytes : 0);
}

bool buildGltf(const LodNode* start, const GltfExportOptions& options, GltfDocument& document,
               GltfExportReport& report) {
    GltfSceneBuilder builder(options, document, report);
    if (!walkTree(start, builder)) return false;
    builder.finishMeshes();
    return true;
}

}  // namespace mevlo
