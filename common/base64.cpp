#include "common/base64.h"

namespace mevlo {

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void putGroup(uint8_t a, uint8_t b, uint8_t c, std::string& out) {
    out.push_back(kAlphabet[a >> 2]);
    out.push_back(kAlphabet[((a & 0x03) << 4) | (b >> 4)]);
    out.push_back(kAlphabet[((b & 0x0F) << 2) | (c >> 6)]);
    out.push_back(kAlphabet[c & 0x3F]);
}

}  // namespace

void Base64Encoder::add(const uint8_t* data, size_t size, std::string& out) {
    size_t at = 0;
    // Complete the group a previous piece began.
    while (pendingCount_ > 0 && pendingCount_ < 3 && at < size) {
        if (pendingCount_ == 2) {
            putGroup(pending_[0], pending_[1], data[at++], out);
            pendingCount_ = 0;
        } else {
            pending_[pendingCount_++] = data[at++];
        }
    }
    out.reserve(out.size() + (size - at) / 3 * 4 + 4);
    while (size - at >= 3) {
        putGroup(data[at], data[at + 1], data[at + 2], out);
        at += 3;
    }
    while (at < size) pending_[pendingCount_++] = data[at++];
}

void Base64Encoder::finish(std::string& out) {
    if (pendingCount_ == 0) return;
    const uint8_t second = pendingCount_ == 2 ? pending_[1] : 0;
    putGroup(pending_[0], second, 0, out);
    out[out.size() - 1] = '=';
    if (pendingCount_ == 1) out[out.size() - 2] = '=';
    pendingCount_ = 0;
}

std::string base64Of(const uint8_t* data, size_t size) {
    Base64Encoder encoder;
    std::string text;
    encoder.add(data, size, text);
    encoder.finish(text);
    return text;
}

}  // namespace mevlo
