// The URIs a .gltf names its buffers by: base64 data: URIs, and relative
// references to files beside the model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mevlo {

bool isDataUri(const std::string& uri);

// Decodes the payload of a base64 data: URI ("data:[type];base64,...").
// False with a reason when it is not base64 or not valid base64.
bool decodeDataUri(const std::string& uri, std::vector<uint8_t>& bytes, std::string& error);

// The relative file path a URI names, percent-decoded. Refused: URIs with
// a scheme (http:, file:), absolute paths, and paths that climb out of the
// model's folder with "..": a model's data lies beside it.
bool relativePathOfUri(const std::string& uri, std::string& path, std::string& error);

}  // namespace mevlo
