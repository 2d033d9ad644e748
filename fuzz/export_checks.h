// The glTF export run on arbitrary bytes, with the rules of the glTF
// validator that can be checked in process: every number finite, normals
// and rotations of unit length, accessor bounds exact, indices in range,
// offsets aligned and inside the buffer, nodes forming a tree. Shared by the
// export fuzz harness and the test that replays saved findings.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/byte_order.h"
#include "lod/lod_model.h"
#include "outgltf/gltf_encoder.h"
#include "outgltf/gltf_export.h"

namespace mevlofuzz {

inline std::string checkGltfDocument(const mevlo::GltfDocument& doc) {
    using namespace mevlo;
    const std::vector<uint8_t> bin = doc.joinedBin();
    if (static_cast<int64_t>(bin.size()) != doc.binSize) return "buffer size differs from its blocks";
    if (bin.size() % 4 != 0) return "buffer length not a multiple of 4";
    for (const GltfBufferView& view : doc.bufferViews) {
        if (view.offset % 4 != 0) return "buffer view not 4-byte aligned";
        if (view.length <= 0 || view.offset < 0 || view.length > static_cast<int64_t>(bin.size()) - view.offset)
            return "buffer view empty or outside the buffer";
    }
    const auto floatsOf = [&](const GltfAccessor& a, int components, std::vector<float>& out) -> std::string {
        const GltfBufferView& view = doc.bufferViews[static_cast<size_t>(a.bufferView)];
        if (a.componentType != kGltfFloat || view.length != a.count * components * 4) return "float view size wrong";
        out.resize(static_cast<size_t>(a.count * components));
        for (size_t i = 0; i < out.size(); ++i) out[i] = loadF32LE(&bin[static_cast<size_t>(view.offset) + 4 * i]);
        for (float v : out)
            if (!std::isfinite(v)) return "accessor holds a number that is not finite";
        return "";
    };
    for (const GltfAccessor& a : doc.accessors) {
        if (a.count <= 0) return "empty accessor";
        if (a.bufferView < 0 || static_cast<size_t>(a.bufferView) >= doc.bufferViews.size()) return "bad view index";
    }
    // The checks of a primitive's POSITION, NORMAL and TEXCOORD_0.
    const auto vertexSetProblem = [&](const GltfPrimitive& p) -> std::string {
        const GltfAccessor& position = doc.accessors[static_cast<size_t>(p.position)];
        std::vector<float> values;
        std::string problem = floatsOf(position, 3, values);
        if (!problem.empty()) return problem;
        if (!position.hasBounds) return "POSITION without bounds";
        for (int c = 0; c < 3; ++c) {
            float lo = values[static_cast<size_t>(c)], hi = lo;
            for (size_t i = static_cast<size_t>(c); i < values.size(); i += 3) {
                lo = std::fmin(lo, values[i]);
                hi = std::fmax(hi, values[i]);
            }
            if (lo != position.min[c] || hi != position.max[c]) return "POSITION bounds not exact";
        }
        if (p.normal >= 0) {
            const GltfAccessor& normal = doc.accessors[static_cast<size_t>(p.normal)];
            if (normal.count != position.count) return "NORMAL count differs from POSITION";
            problem = floatsOf(normal, 3, values);
            if (!problem.empty()) return problem;
            for (size_t i = 0; i < values.size(); i += 3) {
                const double length = std::sqrt(double(values[i]) * values[i] + double(values[i + 1]) * values[i + 1] +
                                                double(values[i + 2]) * values[i + 2]);
                if (std::fabs(length - 1.0) > 5e-4) return "normal not of unit length";
            }
        }
        if (p.texcoord >= 0) {
            const GltfAccessor& uv = doc.accessors[static_cast<size_t>(p.texcoord)];
            if (uv.count != position.count) return "TEXCOORD_0 count differs from POSITION";
            problem = floatsOf(uv, 2, values);
            if (!problem.empty()) return problem;
        }
        return "";
    };
    // Primitives of a mesh share their vertex accessors: each set is checked once.
    std::vector<uint8_t> vertexSetChecked(doc.accessors.size(), 0);
    for (const GltfMesh& mesh : doc.meshes) {
        if (mesh.primitives.empty()) return "mesh without primitives";
        for (const GltfPrimitive& p : mesh.primitives) {
            const GltfAccessor& position = doc.accessors[static_cast<size_t>(p.position)];
            if (!vertexSetChecked[static_cast<size_t>(p.position)]) {
                vertexSetChecked[static_cast<size_t>(p.position)] = 1;
                const std::string problem = vertexSetProblem(p);
                if (!problem.empty()) return problem;
            }
            const GltfAccessor& indices = doc.accessors[static_cast<size_t>(p.indices)];
            const GltfBufferView& view = doc.bufferViews[static_cast<size_t>(indices.bufferView)];
            const int width = indices.componentType == kGltfUnsignedShort ? 2 : 4;
            // The index lists of a mesh share a view, each on a 4-byte boundary.
            if (indices.byteOffset < 0 || indices.byteOffset % 4 != 0 ||
                indices.count * width > view.length - indices.byteOffset)
                return "index list outside its view";
            for (int64_t i = 0; i < indices.count; ++i) {
                const uint8_t* at = &bin[static_cast<size_t>(view.offset + indices.byteOffset + i * width)];
                const uint32_t index = width == 2 ? loadU16LE(at) : loadU32LE(at);
                if (index >= static_cast<uint64_t>(position.count)) return "index past the vertices";
                if (width == 2 && index == 65535) return "16-bit restart index";
            }
            if (p.mode == kGltfTriangles && indices.count % 3 != 0) return "triangle list not a multiple of 3";
            if (p.mode == kGltfLines && indices.count % 2 != 0) return "line list not a multiple of 2";
        }
    }
    std::vector<int> parents(doc.nodes.size(), 0);
    for (size_t n = 0; n < doc.nodes.size(); ++n) {
        const GltfNode& node = doc.nodes[n];
        if (node.mesh >= static_cast<int32_t>(doc.meshes.size())) return "node names a missing mesh";
        const double numbers[] = {node.translation.x, node.translation.y, node.translation.z, node.rotation.x,
                                  node.rotation.y,    node.rotation.z,    node.rotation.w,    node.scale.x,
                                  node.scale.y,       node.scale.z};
        for (double v : numbers)
            if (!std::isfinite(v)) return "node transform not finite";
        const double q = node.rotation.x * node.rotation.x + node.rotation.y * node.rotation.y +
                         node.rotation.z * node.rotation.z + node.rotation.w * node.rotation.w;
        if (std::fabs(q - 1.0) > 1e-6) return "rotation not a unit quaternion";
        for (int32_t child : node.children) {
            // Children are made after their parent, so the links cannot cycle.
            if (child <= static_cast<int32_t>(n) || static_cast<size_t>(child) >= doc.nodes.size())
                return "child index not after its parent";
            if (++parents[static_cast<size_t>(child)] > 1) return "node with two parents";
        }
    }
    for (int32_t top : doc.sceneNodes)
        if (++parents[static_cast<size_t>(top)] > 1) return "scene node that is also a child";
    return "";
}

// Load, export, check. "" when the document is sound or the export stopped
// at its size bound; otherwise what is wrong.
inline std::string checkExport(const uint8_t* data, size_t size) {
    mevlo::MessageCount messages;
    mevlo::LodModel model;
    model.loadBytes(data, size, messages);
    mevlo::GltfExportOptions options;
    options.elementLimit = mevlo::gltfElementLimit(static_cast<int64_t>(size));
    mevlo::GltfDocument document;
    mevlo::GltfExportReport report;
    if (!mevlo::buildGltf(model.root.get(), options, document, report)) {
        return report.failure.rfind("Model too large to export:", 0) == 0 ? "" : "export failed without its line";
    }
    const std::string json = mevlo::encodeGltfJson(document, "");
    if (json.find("nan") != std::string::npos || json.find("inf") != std::string::npos)
        return "JSON holds a number that is not finite";
    return checkGltfDocument(document);
}

}  // namespace mevlofuzz
