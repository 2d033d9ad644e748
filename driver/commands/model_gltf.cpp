#include "driver/commands/model_gltf.h"

#include <cstdio>

#include "io/input_file.h"
#include "lod/lod_model.h"
#include "outgltf/gltf_encoder.h"

namespace mevlo {

namespace {

void printLoss(int64_t count, const char* what, const char* why) {
    if (count > 0) std::printf("%s dropped: %lld (%s)\n", what, static_cast<long long>(count), why);
}

void printGltfLosses(const GltfExportReport& report) {
    printLoss(report.facesOutOfRange, "Faces", "vertex index out of range");
    printLoss(report.facesNotFinite, "Faces", "position not finite");
    printLoss(report.pointsOutOfRange, "Points", "vertex index out of range");
    printLoss(report.pointsNotFinite, "Points", "position not finite");
    printLoss(report.segmentsOutOfRange, "Line segments", "vertex index out of range");
    printLoss(report.segmentsNotFinite, "Line segments", "position not finite");
    if (report.transformsReplaced > 0)
        std::printf("Transforms replaced: %lld (not finite, written as the identity)\n",
                    static_cast<long long>(report.transformsReplaced));
    if (report.texCoordsReplaced > 0)
        std::printf("Texture coordinates replaced: %lld (not finite, written as 0)\n",
                    static_cast<long long>(report.texCoordsReplaced));
}

}  // namespace

bool buildModelGltf(LodModel& model, int64_t inputBytes, const GltfExportOptions& baseOptions,
                    GltfDocument& document, GltfExportReport& report, std::string& error) {
    GltfExportOptions options = baseOptions;
    options.elementLimit = gltfElementLimit(inputBytes);
    const bool built = buildGltf(model.root.get(), options, document, report);
    if (!model.input().intact()) {
        error = InputFile::kLostReason;
        return false;
    }
    if (!built) {
        error = report.failure;
        return false;
    }
    printGltfLosses(report);
    model.release();
    return true;
}

std::vector<uint8_t> glbHeadOf(const GltfDocument& document) {
    return encodeGlbHead(encodeGltfJson(document, ""), static_cast<size_t>(document.binSize));
}

}  // namespace mevlo
