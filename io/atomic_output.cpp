#include "io/atomic_output.h"

#include <cstring>

namespace mevlo {

namespace {

// Large enough that a file goes out in few system calls.
constexpr size_t kBufferBytes = size_t{1} << 20;

std::string describe(const std::string& path, const char* what, int err) {
    std::string message = path + ": " + what;
    if (err != 0) message += ": " + platform::errorText(err);
    return message;
}

}  // namespace

AtomicOutput::~AtomicOutput() { discard(); }

bool AtomicOutput::open(const std::string& path, std::string& error) {
    discard();
    path_ = path;
    failed_ = false;
    failure_ = 0;
    const platform::OutputTarget target = platform::classifyOutput(path);
    replacedPath_ = target.replacedPath;
    direct_ = target.direct;
    int err = 0;
    file_ = direct_ ? platform::openDirect(path, err)
                    : platform::createTemporary(replacedPath_, target.existingMode, tempPath_, err);
    if (file_ == platform::kNoFile) {
        error = describe(path, "cannot create output file", err);
        return false;
    }
    buffer_.reserve(kBufferBytes);
    return true;
}

void AtomicOutput::fail(int err) {
    if (!failed_) failure_ = err;
    failed_ = true;
}

bool AtomicOutput::flushBuffer() {
    if (failed_ || buffer_.empty()) return !failed_;
    int err = 0;
    if (!platform::writeAll(file_, buffer_.data(), buffer_.size(), err)) fail(err);
    buffer_.clear();
    return !failed_;
}

bool AtomicOutput::write(const void* data, size_t size) {
    if (failed_ || file_ == platform::kNoFile) return false;
    if (size <= kBufferBytes - buffer_.size()) {
        const auto* first = static_cast<const uint8_t*>(data);
        buffer_.insert(buffer_.end(), first, first + size);
        return true;
    }
    if (!flushBuffer()) return false;
    // A block larger than the buffer goes out as it is.
    int err = 0;
    if (!platform::writeAll(file_, data, size, err)) fail(err);
    return !failed_;
}

bool AtomicOutput::commit(std::string& error) {
    if (file_ == platform::kNoFile) {
        error = describe(path_, "cannot write output file", failure_);
        return false;
    }
    flushBuffer();
    int err = 0;
    // Devices and pipes have nothing to sync (and many refuse).
    if (!failed_ && !direct_ && !platform::syncFile(file_, err)) fail(err);
    const platform::FileHandle file = file_;
    file_ = platform::kNoFile;
    if (!platform::closeFile(file, err)) fail(err);
    if (!failed_ && !direct_ && !platform::replaceWithTemporary(tempPath_, replacedPath_, err)) fail(err);
    if (failed_) {
        error = describe(path_, "cannot write output file", failure_);
        discard();
        return false;
    }
    tempPath_.clear();
    return true;
}

void AtomicOutput::discard() {
    if (file_ != platform::kNoFile) {
        int ignored = 0;
        platform::closeFile(file_, ignored);
        file_ = platform::kNoFile;
    }
    if (!tempPath_.empty()) {
        platform::removeTemporary(tempPath_);
        tempPath_.clear();
    }
    buffer_.clear();
}

bool writeWholeFile(const std::string& path, const std::vector<ByteSpan>& pieces, std::string& error) {
    AtomicOutput output;
    if (!output.open(path, error)) return false;
    for (const ByteSpan& piece : pieces) {
        if (!output.write(piece.data, piece.size)) break;  // commit reports why
    }
    return output.commit(error);
}

}  // namespace mevlo
