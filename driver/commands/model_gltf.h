// The glTF document of a loaded model as `lodtool export` writes it, shared
// by the export and by the page of `lodtool view`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/commands/output_jobs.h"
#include "outgltf/gltf_document.h"
#include "outgltf/gltf_export.h"

namespace mevlo {

class LodModel;

// Builds the document of the model's tree within the element limit of its
// input's size, prints one line per kind of loss on standard output and
// releases the model's tree (the document holds copies of all it needs).
// Fails when the export stopped or the input was lost.
JobResult buildModelGltf(LodModel& model, const GltfExportOptions& options, GltfDocument& document,
                         GltfExportReport& report);

// Everything of the document's GLB file before its buffer blocks.
std::vector<uint8_t> glbHeadOf(const GltfDocument& document);

}  // namespace mevlo
