// The glTF document of a loaded model as `lodtool export` writes it, shared
// by the export and by the page of `lodtool view`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "outgltf/gltf_document.h"
#include "outgltf/gltf_export.h"

namespace mevlo {

class LodModel;

// Builds the document of the model's tree within the element limit of an
// input of `inputBytes` bytes, prints one line per kind of loss on standard
// output and releases the model's tree (the document holds copies of all it
// needs). False with the one-line reason when the export stopped or the
// input was lost.
bool buildModelGltf(LodModel& model, int64_t inputBytes, const GltfExportOptions& options, GltfDocument& document,
                    GltfExportReport& report, std::string& error);

// Everything of the document's GLB file before its buffer blocks.
std::vector<uint8_t> glbHeadOf(const GltfDocument& document);

}  // namespace mevlo
