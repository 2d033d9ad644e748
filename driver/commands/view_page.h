// The single HTML file `lodtool view` writes: the viewer's style and script
// inline, with the model's facts (JSON), its texture images (data: URIs) and
// its binary glTF (base64) in data blocks the script reads. The page names
// nothing outside itself, and its content security policy forbids loading
// from anywhere else.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "driver/commands/viewer_bundle.h"
#include "outgltf/gltf_document.h"

namespace mevlo {

struct ViewPageContent {
    std::string title;
    // The `lodtool info --json` object of the model.
    std::string factsJson;
    // Image URI reference as the glTF names it -> data: URI of its file.
    std::vector<std::pair<std::string, std::string>> images;
    const GltfDocument* document = nullptr;
};

// Writes the page to path through an atomic output. False with the one-line
// reason on failure.
bool writeViewPage(const std::string& path, const ViewerBundle& bundle, const ViewPageContent& content,
                   std::string& error);

}  // namespace mevlo
