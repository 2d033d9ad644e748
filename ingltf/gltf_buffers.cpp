#include "ingltf/gltf_buffers.h"

#include <filesystem>

#include "ingltf/gltf_element.h"
#include "ingltf/gltf_json.h"
#include "ingltf/gltf_uri.h"

namespace mevlo {

namespace {

struct BufferBytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool inPlace = false;
};

bool loadBuffer(const nlohmann::json& buffer, size_t i, const uint8_t* glbBin, size_t glbBinSize,
                const std::string& baseDir, GltfScene& scene, BufferBytes& bytes, std::string& error) {
    const JsonFields fields(buffer, "buffers[" + std::to_string(i) + "]");
    uint64_t byteLength = 0;
    std::string uri;
    if (!fields.count("byteLength", byteLength, error) || !fields.string("uri", uri, error)) return false;
    if (!fields.has("byteLength")) {
        error = fields.where() + ": no byteLength";
        return false;
    }
    const char* source = nullptr;
    if (!fields.has("uri")) {
        if (i != 0 || glbBin == nullptr) {
            error = fields.where() + ": no uri, and it is not the binary chunk of a GLB";
            return false;
        }
        bytes = {glbBin, glbBinSize, scene.file.mapped()};
        source = "the GLB's binary chunk";
    } else if (isDataUri(uri)) {
        std::vector<uint8_t> decoded;
        if (!decodeDataUri(uri, decoded, error)) {
            error = fields.where() + ": " + error;
            return false;
        }
        scene.buffers.push_back(std::move(decoded));
        bytes = {scene.buffers.back().data(), scene.buffers.back().size(), false};
        source = "its data: URI";
    } else {
        std::string relative;
        if (!relativePathOfUri(uri, relative, error)) {
            error = fields.where() + ": " + error;
            return false;
        }
        if (baseDir.empty()) {
            error = fields.where() + ": names the file " + relative + ", and this model has no folder to look in";
            return false;
        }
        const std::string path =
            (std::filesystem::u8path(baseDir) / std::filesystem::u8path(relative)).u8string();
        InputFile file;
        if (!file.open(path, error)) {
            error = fields.where() + ": " + error;
            return false;
        }
        scene.bufferFiles.push_back(std::move(file));
        const InputFile& held = scene.bufferFiles.back();
        bytes = {held.data(), held.size(), held.mapped()};
        source = "its file";
    }
    if (byteLength > bytes.size) {
        error = fields.where() + ": byteLength " + std::to_string(byteLength) + " but " + source + " holds " +
                std::to_string(bytes.size) + " bytes";
        return false;
    }
    bytes.size = static_cast<size_t>(byteLength);
    return true;
}

}  // namespace

bool loadGltfBinaryData(const nlohmann::json& document, const uint8_t* glbBin, size_t glbBinSize,
                        const std::string& baseDir, GltfScene& scene, GltfInputData& binary, std::string& error) {
    const JsonFields top(document, "");
    const nlohmann::json* buffers = nullptr;
    const nlohmann::json* views = nullptr;
    if (!top.array("buffers", buffers, error) || !top.array("bufferViews", views, error)) return false;
    std::vector<BufferBytes> bytes;
    if (buffers != nullptr) {
        for (size_t i = 0; i < buffers->size(); ++i) {
            BufferBytes loaded;
            if (!loadBuffer((*buffers)[i], i, glbBin, glbBinSize, baseDir, scene, loaded, error)) return false;
            bytes.push_back(loaded);
            binary.totalBytes += loaded.size;
        }
    }
    if (views == nullptr) return true;
    for (size_t i = 0; i < views->size(); ++i) {
        const GltfElementFields fields((*views)[i], "bufferViews[" + std::to_string(i) + "]");
        int64_t buffer = -1;
        uint64_t offset = 0;
        uint64_t length = 0;
        uint64_t stride = 0;
        if (!fields.index("buffer", bytes.size(), buffer, error) || !fields.count("byteOffset", offset, error) ||
            !fields.count("byteLength", length, error) || !fields.count("byteStride", stride, error))
            return false;
        if (buffer < 0 || !fields.has("byteLength")) {
            error = fields.where() + ": needs a buffer and a byteLength";
            return false;
        }
        if (fields.has("byteStride") && (stride < 4 || stride > 252)) {
            error = fields.where() + ": byteStride " + std::to_string(stride) + " outside 4..252";
            return false;
        }
        const BufferBytes& in = bytes[static_cast<size_t>(buffer)];
        if (offset > in.size || length > in.size - offset) {
            error = fields.where() + ": bytes " + std::to_string(offset) + ".." + std::to_string(offset) + "+" +
                    std::to_string(length) + " reach past buffer " + std::to_string(buffer) + " (" +
                    std::to_string(in.size) + " bytes)";
            return false;
        }
        GltfInputView view;
        view.data = in.data + offset;
        view.size = static_cast<size_t>(length);
        view.stride = static_cast<size_t>(stride);
        view.inPlace = in.inPlace;
        binary.views.push_back(view);
        scene.bufferViews.push_back({view.data, view.size});
    }
    return true;
}

}  // namespace mevlo
