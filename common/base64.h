// Base64 (the standard alphabet, with '=' padding) of a byte stream given in
// pieces of any size: a piece's last one or two bytes wait for the next one,
// so that the text equals the encoding of all the pieces joined.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mevlo {

class Base64Encoder {
public:
    // Encodes the bytes and appends the text to out.
    void add(const uint8_t* data, size_t size, std::string& out);
    // Appends the padded end of the text; the encoder starts anew.
    void finish(std::string& out);

private:
    uint8_t pending_[2] = {0, 0};
    size_t pendingCount_ = 0;
};

// The base64 text of bytes in one piece.
std::string base64Of(const uint8_t* data, size_t size);

}  // namespace mevlo
