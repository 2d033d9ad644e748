#include "ingltf/gltf_to_lod.h"

#include <utility>

#include "ingltf/import_context.h"

namespace mevlo {

const char* const kImportTooLarge = "Model too large for a LOD file (its offsets would pass 2 GiB)";

bool mapGltfNodes(ImportContext& context, LodTreeChain& top);

bool mapGltfScene(const GltfScene& scene, const GltfImportOptions& options, ImportedLod& lod,
                  GltfImportReport& report) {
    lod = ImportedLod{};
    if (!(options.scale > 0.0)) {
        report.failure = "Scale must be above 0";
        return false;
    }
    uint64_t inputBytes = scene.file.size();
    for (const InputFile& file : scene.bufferFiles) inputBytes += file.size();
    for (const auto& buffer : scene.buffers) inputBytes += buffer.size();
    ImportContext context{scene, options, report, LodTree{}, {}, {}, ImportBudget(inputBytes)};
    for (const auto& material : scene.materials) {
        const nlohmann::json* lod = lodExtras(material.extras);
        if (hasExtra(lod, "texture")) context.usedTextures[static_cast<int32_t>(extraNumber(lod, "texture", 0))] = true;
    }
    for (const std::string& what : scene.ignored) report.notes.push_back("Ignored: " + what);
    if (!mapGltfNodes(context, lod.top)) return false;
    if (context.budget.overdrawn()) {
        report.failure = importBudgetFailure();
        return false;
    }
    lod.tree = std::move(context.tree);
    return true;
}

bool importGltf(const GltfScene& scene, const GltfImportOptions& options, std::vector<uint8_t>& lodBytes,
                GltfImportReport& report) {
    lodBytes.clear();
    ImportedLod lod;
    if (!mapGltfScene(scene, options, lod, report)) return false;
    lodBytes = writeLodFile(lod.tree, lod.top);
    if (lodBytes.empty()) {
        report.failure = kImportTooLarge;
        return false;
    }
    return true;
}

}  // namespace mevlo
