#include "ingltf/gltf_uri.h"

#include "ingltf/gltf_json.h"

namespace mevlo {

namespace {

int base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool isDataUri(const std::string& uri) { return uri.compare(0, 5, "data:") == 0; }

bool decodeDataUri(const std::string& uri, std::vector<uint8_t>& bytes, std::string& error) {
    const size_t comma = uri.find(',');
    if (comma == std::string::npos || comma < 12 || uri.compare(comma - 7, 7, ";base64") != 0) {
        error = "a data: URI that is not base64";
        return false;
    }
    bytes.clear();
    bytes.reserve((uri.size() - comma) / 4 * 3 + 3);
    uint32_t bits = 0;
    int held = 0;
    size_t i = comma + 1;
    for (; i < uri.size() && uri[i] != '='; ++i) {
        const int value = base64Value(static_cast<unsigned char>(uri[i]));
        if (value < 0) {
            error = "a data: URI with a character outside base64 at offset " + std::to_string(i);
            return false;
        }
        bits = (bits << 6) | static_cast<uint32_t>(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            bytes.push_back(static_cast<uint8_t>(bits >> held));
            bits &= (1u << held) - 1;
        }
    }
    // Up to two padding characters, and nothing after them.
    const size_t padding = uri.size() - i;
    if (padding > 2 || uri.find_first_not_of('=', i) != std::string::npos) {
        error = "a data: URI with characters after its base64 padding";
        return false;
    }
    return true;
}

bool relativePathOfUri(const std::string& uri, std::string& path, std::string& error) {
    path.clear();
    for (size_t i = 0; i < uri.size(); ++i) {
        const char c = uri[i];
        if (c == '%' && uri.size() - i > 2 && hexValue(static_cast<unsigned char>(uri[i + 1])) >= 0 &&
            hexValue(static_cast<unsigned char>(uri[i + 2])) >= 0) {
            path.push_back(static_cast<char>(hexValue(static_cast<unsigned char>(uri[i + 1])) * 16 +
                                             hexValue(static_cast<unsigned char>(uri[i + 2]))));
            i += 2;
        } else if (c == '?' || c == '#') {
            break;  // a query or fragment names no part of a file
        } else {
            path.push_back(c);
        }
    }
    const size_t colon = uri.find(':');
    const size_t slash = uri.find('/');
    if (colon != std::string::npos && (slash == std::string::npos || colon < slash)) {
        error = "the URI " + shownText(uri) + " is not a relative file reference";
        return false;
    }
    // A decoded ':' could still name a drive ("C:/...").
    if (path.empty() || path[0] == '/' || path[0] == '\\' || path.find_first_of(std::string(":\0", 2)) != std::string::npos) {
        error = "the URI " + shownText(uri) + " is not a relative file reference";
        return false;
    }
    // Segments split at either separator: ".." anywhere climbs out.
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("/\\", start);
        if (end == std::string::npos) end = path.size();
        if (path.compare(start, end - start, "..") == 0 && end - start == 2) {
            error = "the URI " + shownText(uri) + " leaves the model's folder";
            return false;
        }
        start = end + 1;
    }
    return true;
}

}  // namespace mevlo
