// Small helpers shared by the tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
    testing::internal::CaptureStdout();
    loaded.model->loadBytes(bytes);
    std::fflush(stdout);
    loaded.messages = testing::internal::GetCapturedStdout();
    return loaded;
}

inline Loaded load(const BuiltLod& built) { return load(built.bytes); }

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
