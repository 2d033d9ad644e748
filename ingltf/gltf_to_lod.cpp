#include "ingltf/gltf_to_lod.h"

#include "ingltf/import_context.h"

namespace mevlo {

bool mapGltfNodes(ImportContext& context, LodTreeChain& top);

bool importGltf(const GltfScene& scene, const GltfImportOptions& options, std::vector<uint8_t>& lodBytes,
                GltfImportReport& report) {
    lodBytes.clear();
    if (!(options.scale > 0.0)) {
        report.failure = "Scale must be above 0";
        return false;
    }
    ImportContext context{scene, options, report, LodTree{}, {}, {}};
    for (const auto& material : scene.materials) {
        const nlohmann::json* lod = lodExtras(material.extras);
        if (hasExtra(lod, "texture")) context.usedTextures[static_cast<int32_t>(extraNumber(lod, "texture", 0))] = true;
    }
    for (const std::string& what : scene.ignored) report.notes.push_back("Ignored: " + what);
    LodTreeChain top;
    if (!mapGltfNodes(context, top)) return false;
    lodBytes = writeLodFile(context.tree, top);
    if (lodBytes.empty()) {
        report.failure = "Model too large for a LOD file (its offsets would pass 2 GiB)";
        return false;
    }
    return true;
}

}  // namespace mevlo
