// Hostile .glb files of a chosen size, for measuring the import's time and
// memory: small files that name the same data many times, which the LOD
// format cannot share, so that a naive import grows far past the file.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/hostile_models.h"

namespace mevlofuzz {

namespace hostile {

inline void putU32(std::vector<uint8_t>& out, uint32_t w) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(w >> (8 * i)));
}

inline void putVarint(std::vector<uint8_t>& out, uint32_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<uint8_t>(v));
}

// A .glb of the JSON and the binary chunk (each padded to 4 bytes).
inline std::vector<uint8_t> glb(std::string json, std::vector<uint8_t> bin) {
    while (json.size() % 4) json.push_back(' ');
    while (bin.size() % 4) bin.push_back(0);
    std::vector<uint8_t> out;
    putU32(out, 0x46546C67);  // "glTF"
    putU32(out, 2);
    putU32(out, static_cast<uint32_t>(12 + 8 + json.size() + 8 + bin.size()));
    putU32(out, static_cast<uint32_t>(json.size()));
    putU32(out, 0x4E4F534A);  // "JSON"
    out.insert(out.end(), json.begin(), json.end());
    putU32(out, static_cast<uint32_t>(bin.size()));
    putU32(out, 0x004E4942);  // "BIN\0"
    out.insert(out.end(), bin.begin(), bin.end());
    return out;
}

// One triangle (three positions, then indices 0 1 2 as u16) in a binary
// chunk, and the JSON for its buffer, views and accessors; `extraViews`
// more views follow the two (their JSON is passed in).
inline std::string triangleBuffers(std::vector<uint8_t>& bin, const std::string& extraViews,
                                   uint32_t vertices = 3) {
    const uint32_t positionBytes = 12 * vertices;
    for (uint32_t v = 0; v < vertices; ++v) {
        const float xyz[3] = {static_cast<float>(v % 7), static_cast<float>(v % 5), static_cast<float>(v % 3)};
        for (float f : xyz) {
            uint32_t w;
            std::memcpy(&w, &f, 4);
            putU32(bin, w);
        }
    }
    for (uint16_t i : {0, 1, 2}) {
        bin.push_back(static_cast<uint8_t>(i));
        bin.push_back(0);
    }
    bin.push_back(0);
    bin.push_back(0);
    return "\"bufferViews\":[{\"buffer\":0,\"byteLength\":" + std::to_string(positionBytes) +
           "},{\"buffer\":0,\"byteOffset\":" + std::to_string(positionBytes) + ",\"byteLength\":6}" + extraViews +
           "],\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":" + std::to_string(vertices) +
           ",\"type\":\"VEC3\",\"min\":[0,0,0],\"max\":[6,4,2]},"
           "{\"bufferView\":1,\"componentType\":5123,\"count\":3,\"type\":\"SCALAR\"}]";
}

}  // namespace hostile

// Containers that each name one records view claiming a table of
// 65 536 vertices plus one far vertex, over a one-triangle mesh: a few
// dozen bytes of JSON each.
inline std::vector<uint8_t> hostileGltfRecordTables(size_t size) {
    using namespace hostile;
    std::vector<uint8_t> bin;
    const size_t viewAt = 12 * 3 + 8;
    std::string json = "{\"asset\":{\"version\":\"2.0\"},\"buffers\":[{\"byteLength\":BIN}],";
    std::vector<uint8_t> records;
    putU32(records, 0x52444F4C);
    putU32(records, 2);
    putU32(records, 0x7FFFFFFE);  // vertices
    putU32(records, 0);           // normals
    putU32(records, 1);           // glTF primitives
    putU32(records, 0);           // holders
    for (int i = 0; i < 4; ++i) putU32(records, 0);
    putU32(records, 3);  // vertex and index count of the primitive
    putU32(records, 3);
    putVarint(records, 0);
    for (int i = 0; i < 6; ++i) records.push_back(0);
    putVarint(records, 0);  // groups
    putVarint(records, 1);  // one missing vertex, far out
    putVarint(records, 0x7FFFFFF0);
    for (int i = 0; i < 12; ++i) records.push_back(0);
    json += hostile::triangleBuffers(bin, ",{\"buffer\":0,\"byteOffset\":" + std::to_string(viewAt) +
                                              ",\"byteLength\":" + std::to_string(records.size()) + "}");
    bin.insert(bin.end(), records.begin(), records.end());
    json += ",\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0},\"indices\":1}]}],\"nodes\":[";
    const std::string node = "{\"mesh\":0,\"extras\":{\"lod\":{\"records\":2}}}";
    const size_t count = size > json.size() + bin.size() ? (size - json.size() - bin.size()) / (node.size() + 1) : 1;
    for (size_t i = 0; i < count; ++i) json += (i ? "," : "") + node;
    json += "]}";
    json.replace(json.find("BIN"), 3, std::to_string((bin.size() + 3) / 4 * 4));
    return hostile::glb(json, bin);
}

// One mesh of many primitives that all read the same large POSITION
// accessor through a three-index accessor.
inline std::vector<uint8_t> hostileGltfSharedAccessor(size_t size) {
    using namespace hostile;
    std::vector<uint8_t> bin;
    const auto vertices = static_cast<uint32_t>(size / 4 / 12);
    std::string json = "{\"asset\":{\"version\":\"2.0\"},\"buffers\":[{\"byteLength\":BIN}],";
    json += hostile::triangleBuffers(bin, "", vertices);
    json += ",\"meshes\":[{\"primitives\":[";
    const std::string primitive = "{\"attributes\":{\"POSITION\":0},\"indices\":1}";
    const size_t used = bin.size() + json.size();
    const size_t count = size > used ? (size - used) / (primitive.size() + 1) : 1;
    for (size_t i = 0; i < count; ++i) json += (i ? "," : "") + primitive;
    json += "]}],\"nodes\":[{\"mesh\":0}]}";
    json.replace(json.find("BIN"), 3, std::to_string((bin.size() + 3) / 4 * 4));
    return hostile::glb(json, bin);
}

// A mesh of a few thousand vertices used by many nodes.
inline std::vector<uint8_t> hostileGltfSharedMesh(size_t size) {
    using namespace hostile;
    std::vector<uint8_t> bin;
    std::string json = "{\"asset\":{\"version\":\"2.0\"},\"buffers\":[{\"byteLength\":BIN}],";
    json += hostile::triangleBuffers(bin, "", 4096);
    json += ",\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0}}]}],\"nodes\":[";
    const std::string node = "{\"mesh\":0}";
    const size_t used = bin.size() + json.size();
    const size_t count = size > used ? (size - used) / (node.size() + 1) : 1;
    for (size_t i = 0; i < count; ++i) json += (i ? "," : "") + node;
    json += "]}";
    json.replace(json.find("BIN"), 3, std::to_string((bin.size() + 3) / 4 * 4));
    return hostile::glb(json, bin);
}

inline std::vector<HostileModel> hostileGltfModels(size_t size) {
    return {
        {"records_tables", hostileGltfRecordTables(size)},
        {"shared_accessor", hostileGltfSharedAccessor(size)},
        {"shared_mesh", hostileGltfSharedMesh(size)},
    };
}

}  // namespace mevlofuzz
