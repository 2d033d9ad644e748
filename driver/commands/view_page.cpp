#include "driver/commands/view_page.h"

#include <cstdint>

#include "common/base64.h"
#include "common/json_writer.h"
#include "driver/commands/model_gltf.h"
#include "io/atomic_output.h"

namespace mevlo {

namespace {

// Text as HTML character data or attribute value.
std::string htmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

// JSON placed inside a <script> element: "<" only occurs inside strings,
// where "\u003c" means the same, so no "</script>" can end the element.
std::string scriptSafeJson(const std::string& json) {
    std::string out;
    out.reserve(json.size());
    for (char c : json) {
        if (c == '<') {
            out += "\\u003c";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Nothing from the network: scripts and styles are the inline ones, images
// and the glTF loader's buffers come from data: and blob: URIs.
const char kPageHead[] =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; script-src 'unsafe-inline'; "
    "style-src 'unsafe-inline'; img-src data: blob:; connect-src data: blob:\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<meta name=\"generator\" content=\"lodtool view\">\n";

class PageWriter {
public:
    explicit PageWriter(AtomicOutput& output) : output_(output) {}
    void put(const std::string& text) { output_.write(text.data(), text.size()); }
    void put(const char* text, size_t size) { output_.write(text, size); }
    // Bytes as base64, written as they are encoded.
    void putBase64(const uint8_t* data, size_t size) {
        std::string text;
        encoder_.add(data, size, text);
        put(text);
    }
    void endBase64() {
        std::string text;
        encoder_.finish(text);
        put(text);
    }

private:
    AtomicOutput& output_;
    Base64Encoder encoder_;
};

std::string imagesJson(const std::vector<std::pair<std::string, std::string>>& images) {
    JsonWriter json;
    json.beginObject();
    for (const auto& image : images) json.field(image.first.c_str(), image.second);
    json.endObject();
    return json.text();
}

}  // namespace

bool writeViewPage(const std::string& path, const ViewerBundle& bundle, const ViewPageContent& content,
                   std::string& error) {
    AtomicOutput output;
    if (!output.open(path, error)) return false;
    PageWriter page(output);
    page.put(kPageHead);
    page.put("<title>" + htmlEscaped(content.title) + "</title>\n<style>");
    page.put(bundle.style, bundle.styleSize);
    page.put("</style>\n</head>\n<body>\n<noscript>This page shows a 3-D model; it needs JavaScript.</noscript>\n");
    page.put("<script type=\"application/json\" id=\"mevlo-facts\">" + scriptSafeJson(content.factsJson) +
             "</script>\n");
    page.put("<script type=\"application/json\" id=\"mevlo-images\">" + scriptSafeJson(imagesJson(content.images)) +
             "</script>\n");
    page.put("<script type=\"application/octet-stream\" id=\"mevlo-glb\">");
    const std::vector<uint8_t> head = glbHeadOf(*content.document);
    page.putBase64(head.data(), head.size());
    for (const auto& block : content.document->binBlocks) page.putBase64(block.data(), block.size());
    page.endBase64();
    page.put("</script>\n<script>");
    page.put(bundle.script, bundle.scriptSize);
    page.put("</script>\n</body>\n</html>\n");
    return output.commit(error);
}

}  // namespace mevlo
