// The binary data of a glTF file: its buffers (the GLB's binary chunk, a
// file beside the model, or a base64 data: URI) and the buffer views cut
// from them, every length checked against what is there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ingltf/gltf_scene.h"

namespace mevlo {

struct GltfInputView {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t stride = 0;  // 0 when the view does not set byteStride
    // The bytes lie in a mapped file (memory without objects of another
    // type in it), so aligned floats may be read where they are.
    bool inPlace = false;
};

struct GltfInputData {
    std::vector<GltfInputView> views;
    // Bytes of every buffer together: what decoding may cost is bounded by it.
    uint64_t totalBytes = 0;
};

// Loads the buffers into scene (scene.file must hold the model; glbBin is
// its binary chunk or null) and cuts the views, filling scene.bufferViews.
// baseDir is the model's folder ("" allows no external files).
bool loadGltfBinaryData(const nlohmann::json& document, const uint8_t* glbBin, size_t glbBinSize,
                        const std::string& baseDir, GltfScene& scene, GltfInputData& binary, std::string& error);

}  // namespace mevlo
