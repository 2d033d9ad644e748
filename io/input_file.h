// Whole-file input: a model is held in memory in one piece before any of it
// is decoded. A regular file is mapped read-only (no copy, and pages the
// kernel already caches are shared, not duplicated); anything else, a pipe
// or a device, is read into a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/platform.h"

namespace mevlo {

class InputFile {
public:
    InputFile() = default;
    // Bytes already in memory (tests, fuzzers, generated models).
    explicit InputFile(std::vector<uint8_t> bytes);
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Makes the whole file at path available. On failure error holds a
    // one-line reason ("<path>: cannot open: ..." or "<path>: cannot read: ...").
    bool open(const std::string& path, std::string& error);

    const uint8_t* data() const { return mapped_.data != nullptr ? mapped_.data : bytes_.data(); }
    size_t size() const { return mapped_.data != nullptr ? mapped_.size : bytes_.size(); }
    bool mapped() const { return mapped_.data != nullptr; }

    // False once part of a mapped file vanished while mapped (another
    // process truncated it): what was decoded since may be zeros instead of
    // the file's bytes, and nothing made from it may be committed.
    bool intact() const { return !platform::mappedInputLost(mapped_); }

    // A hint that the bytes at [begin, begin + size) of the file will not be
    // read again, so that a mapped file's pages there may leave memory.
    void release(const uint8_t* begin, size_t size) const { platform::releaseMappedRange(mapped_, begin, size); }

    // The one-line reason when !intact(): "<path>: " + kLostReason.
    static constexpr const char* kLostReason = "cannot read: the file was truncated while being read";
    static std::string lostMessage(const std::string& path);

private:
    void close();

    std::vector<uint8_t> bytes_;
    platform::MappedInput mapped_;
};

}  // namespace mevlo
