// The glTF JSON of a document, and the GLB container around it.
//
// GLB: a 12-byte header ("glTF", version 2, total length), a JSON chunk
// padded with spaces to 4 bytes, and a BIN chunk (omitted when there is no
// binary buffer), all little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "outgltf/gltf_document.h"

namespace mevlo {

// The JSON text. binUri names the buffer's file for a .gltf; empty for a
// GLB, whose buffer is the BIN chunk.
std::string encodeGltfJson(const GltfDocument& document, const std::string& binUri);

// Everything of a GLB file before the document's binary buffer: header,
// JSON chunk and, when the buffer is not empty, the BIN chunk header. The
// buffer follows it unchanged (its length is a multiple of 4).
std::vector<uint8_t> encodeGlbHead(const std::string& json, size_t binBytes);

// The same head in three pieces, so that a large JSON text is written from
// where it is instead of copied: the bytes before the text (file header
// and JSON chunk header) and those after it (its padding and, when the
// buffer is not empty, the BIN chunk header).
struct GlbFrame {
    uint8_t before[20] = {};
    uint8_t after[11] = {};
    size_t afterSize = 0;
};
GlbFrame glbFrameOf(size_t jsonBytes, size_t binBytes);

// A file name or relative path as a URI reference: bytes other than
// letters, digits and - . _ ~ / are percent-encoded.
std::string uriReference(const std::string& path);

}  // namespace mevlo
