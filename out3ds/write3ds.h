// The 3DS file of a finished scene: geometry only, one named triangle-mesh
// object per mesh that has vertices.
//
//   0x4D4D main chunk
//     0x3D3D editor data
//       0x4000 named object: name "%04d" + NUL (numbered over written meshes)
//         0x4100 triangle mesh
//           0x4110 vertex list: uint16 count, x y z floats per vertex
//           0x4120 face list: uint16 count, a b c flags per face
//
// No version, material,
// smoothing or keyframer chunks are written. A scene without written meshes
// is the 12-byte file of the two outer headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/message_sink.h"
#include "io/atomic_output.h"
#include "out3ds/scene.h"

namespace mevlo {

constexpr uint16_t kChunkMain = 0x4D4D;
constexpr uint16_t kChunkEditor = 0x3D3D;
constexpr uint16_t kChunkNamedObject = 0x4000;
constexpr uint16_t kChunkTriangleMesh = 0x4100;
constexpr uint16_t kChunkVertexList = 0x4110;
constexpr uint16_t kChunkFaceList = 0x4120;

// Meshes that become objects: those with at least one vertex.
int32_t countWrittenMeshes(const Scene3ds& scene);

// Encodes the file in blocks of about a megabyte and hands each to emit, in
// order. Stops, returning false, as soon as emit does. Meshes made from
// nodes read them (and so the model's input) while this runs.
bool stream3ds(const Scene3ds& scene, const std::function<bool(const uint8_t*, size_t)>& emit);

// The whole file, laid out in memory (the same encoding, collected).
std::vector<uint8_t> encode3ds(const Scene3ds& scene);

// Reports "Objects built: N", then writes the file into an opened output.
// False once a write failed (the output remembers why). The caller commits
// the output, after checking that the input the vertices were just read
// from stayed whole.
bool write3ds(const Scene3ds& scene, AtomicOutput& output, MessageSink& messages);

}  // namespace mevlo
