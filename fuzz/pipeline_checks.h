// The three ways a LOD file is used (convert to 3DS, list, repack) run on
// arbitrary bytes, each with the properties its output must have. Shared by
// the fuzz harnesses, which abort when a property fails, and by the test
// that replays every saved fuzz finding.
//
// Header-only so that the test binary and the harnesses compile the same
// checks without a library of their own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/byte_order.h"
#include "common/json_writer.h"
#include "info/conversion_facts.h"
#include "info/facts_json.h"
#include "info/facts_text.h"
#include "info/model_facts.h"
#include "lod/listing/listing_size.h"
#include "lod/listing/listing_writer.h"
#include "lod/lod_model.h"
#include "lod/lod_node.h"
#include "lod/output_size_limit.h"
#include "lod/serialize/lod_file_writer.h"
#include "out3ds/convert.h"
#include "out3ds/scene.h"
#include "out3ds/write3ds.h"

namespace mevlofuzz {

// What converting one loaded model produced.
struct ConversionOutcome {
    bool failed = false;
    // The capacity that stopped the conversion, without the node offsets
    // (which a repack legitimately changes).
    std::string limit;
    int64_t droppedFaces = 0;
    int32_t meshCount = 0;
    std::vector<uint8_t> file3ds;  // empty when the conversion failed

    bool operator==(const ConversionOutcome& other) const {
        return failed == other.failed && limit == other.limit && droppedFaces == other.droppedFaces &&
               meshCount == other.meshCount && file3ds == other.file3ds;
    }
};

inline std::string limitOf(const std::string& overflow) { return overflow.substr(0, overflow.find(" (")); }

// Walks the encoded file as a reader would and says what is wrong with it
// ("" when it is sound): every chunk length must end exactly at the end of
// its parent, the counts must match the list lengths, and no face may name
// a vertex its object does not have.
inline std::string check3dsStructure(const std::vector<uint8_t>& file) {
    const size_t size = file.size();
    if (size < 12) return "3DS shorter than its two outer headers";
    if (mevlo::loadU16LE(&file[0]) != mevlo::kChunkMain) return "3DS main chunk id wrong";
    if (mevlo::loadU32LE(&file[2]) != size) return "3DS main chunk length differs from the encoded size";
    if (mevlo::loadU16LE(&file[6]) != mevlo::kChunkEditor) return "3DS editor chunk id wrong";
    if (mevlo::loadU32LE(&file[8]) != size - 6) return "3DS editor chunk length wrong";
    size_t at = 12;
    int32_t objectNumber = 0;
    while (at < size) {
        // Named object: header, "%04d" and NUL, one triangle mesh with a
        // vertex list and a face list.
        if (size - at < 6 + 5 + 6 + 8 + 8) return "3DS object truncated";
        const uint32_t objectLength = mevlo::loadU32LE(&file[at + 2]);
        if (mevlo::loadU16LE(&file[at]) != mevlo::kChunkNamedObject || objectLength > size - at)
            return "3DS object header wrong";
        char name[16];
        std::snprintf(name, sizeof name, "%04d", static_cast<int>(objectNumber++));
        if (std::string(reinterpret_cast<const char*>(&file[at + 6]), 5) != std::string(name, 5))
            return "3DS object name wrong";
        const size_t mesh = at + 11;
        if (mevlo::loadU16LE(&file[mesh]) != mevlo::kChunkTriangleMesh ||
            mevlo::loadU32LE(&file[mesh + 2]) != objectLength - 11)
            return "3DS triangle mesh header wrong";
        const size_t vertices = mesh + 6;
        const uint16_t vertexCount = mevlo::loadU16LE(&file[vertices + 6]);
        if (mevlo::loadU16LE(&file[vertices]) != mevlo::kChunkVertexList ||
            mevlo::loadU32LE(&file[vertices + 2]) != 8 + 12 * static_cast<uint32_t>(vertexCount))
            return "3DS vertex list header wrong";
        if (vertexCount == 0) return "3DS object without vertices";
        const size_t faces = vertices + 8 + 12 * static_cast<size_t>(vertexCount);
        if (faces > size - 8) return "3DS vertex list runs past the end";
        const uint16_t faceCount = mevlo::loadU16LE(&file[faces + 6]);
        const size_t objectEnd = faces + 8 + 8 * static_cast<size_t>(faceCount);
        if (mevlo::loadU16LE(&file[faces]) != mevlo::kChunkFaceList ||
            mevlo::loadU32LE(&file[faces + 2]) != 8 + 8 * static_cast<uint32_t>(faceCount) ||
            objectEnd != at + objectLength)
            return "3DS face list header wrong";
        for (size_t f = faces + 8; f < objectEnd; f += 8) {
            for (size_t corner = 0; corner < 3; ++corner) {
                if (mevlo::loadU16LE(&file[f + 2 * corner]) >= vertexCount) return "3DS face names a missing vertex";
            }
        }
        at = objectEnd;
    }
    return "";
}

inline ConversionOutcome convertModel(const mevlo::LodModel& model) {
    mevlo::Scene3ds scene;
    mevlo::ConversionState state(scene);
    ConversionOutcome outcome;
    outcome.failed = !mevlo::convertTree(model.root.get(), state);
    if (outcome.failed != state.failed()) outcome.limit = "convertTree result disagrees with the overflow line";
    if (outcome.failed) {
        outcome.limit += limitOf(state.failure);
    } else {
        outcome.file3ds = mevlo::encode3ds(scene);
    }
    outcome.droppedFaces = state.droppedFaces;
    outcome.meshCount = scene.meshCount();
    return outcome;
}

// Load, convert, encode. "" when the result is sound, else what is wrong.
// What lodtool info says of the model must agree with the conversion: the
// same limit when it fails, the same meshes and dropped faces when not.
inline std::string checkInfoAgrees(const mevlo::LodModel& model, const ConversionOutcome& outcome) {
    mevlo::ModelFacts facts;
    mevlo::collectTreeFacts(model, facts);
    mevlo::collectConversionFacts(model.root.get(), facts);
    mevlo::JsonWriter json;
    mevlo::writeFactsJson(facts, json);
    if (mevlo::formatFactsText(facts, false).empty() || json.text().empty()) return "info wrote nothing";
    if (outcome.failed) return limitOf(facts.tooLarge) == outcome.limit ? "" : "info names another 3DS limit";
    if (!facts.tooLarge.empty()) return "info refuses a model mevlo converts";
    if (facts.containers != outcome.meshCount) return "info counts other containers than the conversion";
    if (facts.droppedFaces != outcome.droppedFaces) return "info counts other dropped faces than the conversion";
    return "";
}

inline std::string checkConversion(const uint8_t* data, size_t size) {
    mevlo::MessageCount messages;
    mevlo::LodModel model;
    model.loadBytes(data, size, messages);
    const ConversionOutcome outcome = convertModel(model);
    const std::string info = checkInfoAgrees(model, outcome);
    if (!info.empty()) return info;
    if (outcome.failed) {
        if (outcome.limit.rfind("Model too large:", 0) != 0) return "conversion failed without a capacity line";
        return "";
    }
    if (outcome.droppedFaces < 0) return "negative dropped face count";
    return check3dsStructure(outcome.file3ds);
}

// Load and list into emit, unless the listing would pass the size limit
// that lodtool list refuses.
inline void listModel(const uint8_t* data, size_t size, const mevlo::ListingWriter::Emit& emit) {
    mevlo::MessageCount messages;
    mevlo::LodModel model;
    model.loadBytes(data, size, messages);
    const bool withinLimit =
        mevlo::estimateListingBytes(model.root.get()) <= mevlo::outputSizeLimit(static_cast<int64_t>(size));
    mevlo::ListingWriter listing(emit);
    if (model.root && withinLimit) model.root->print(listing);
}

// Load, write as LOD, read that back. The repacked model must convert to the
// same outcome and the same 3DS bytes, and writing it again must give the
// same file byte for byte. "" when every property holds.
inline std::string checkRepack(const uint8_t* data, size_t size) {
    mevlo::MessageCount messages;
    mevlo::LodModel original;
    original.loadBytes(data, size, messages);
    std::vector<uint8_t> first;
    std::string error;
    if (!mevlo::writeLodFile(original, messages, first, error, mevlo::outputSizeLimit(static_cast<int64_t>(size)))) {
        // Only a tree too large for 32-bit offsets or the size limit may be refused.
        if (error.empty() || !first.empty()) return "writeLodFile failed without a clean refusal";
        return "";
    }
    const ConversionOutcome before = convertModel(original);
    original.release();

    mevlo::LodModel repacked;
    repacked.loadBytes(first, messages);
    const ConversionOutcome after = convertModel(repacked);
    if (!(before == after)) return "conversion differs after repack";

    std::vector<uint8_t> second;
    if (!mevlo::writeLodFile(repacked, messages, second, error,
                             mevlo::outputSizeLimit(static_cast<int64_t>(first.size()))))
        return "repacked model cannot be written again";
    if (second != first) return "repack is not idempotent";
    return "";
}

}  // namespace mevlofuzz
