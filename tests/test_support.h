// Small helpers shared by the tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/message_sink.h"
#include "lod/listing/listing_writer.h"
#include "lod/lod_model.h"
#include "lod/lod_node.h"
#include "lod_builder.h"

namespace lodtest {

// Loads bytes into a fresh model; loading messages are captured.
struct Loaded {
    std::unique_ptr<mevlo::LodModel> model = std::make_unique<mevlo::LodModel>();
    std::string messages;

    mevlo::LodNode* root() const { return model->root.get(); }
};

inline Loaded load(const std::vector<uint8_t>& bytes) {
    Loaded loaded;
    mevlo::MessageLog log;
    loaded.model->loadBytes(bytes, log);
    loaded.messages = log.text;
    return loaded;
}

inline Loaded load(const BuiltLod& built) { return load(built.bytes); }

// The listing of the chain that starts at head.
inline std::string listingOf(const mevlo::LodNode* head) {
    std::string text;
    {
        mevlo::ListingWriter listing([&text](const char* block, size_t size) { text.append(block, size); });
        if (head) head->print(listing);
    }
    return text;
}

template <typename T>
T* as(mevlo::LodNode* node) {
    return dynamic_cast<T*>(node);
}

// Chain length starting at head.
inline size_t chainLength(const mevlo::LodNode* head) {
    size_t n = 0;
    for (; head; head = head->next.get()) ++n;
    return n;
}

inline uint32_t bits(float f) { return mevlo::bitsOfFloat(f); }

}  // namespace lodtest
