#include "io/input_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "io/platform.h"

namespace mevlo {

namespace {

std::string describe(const std::string& path, const char* what, int err) {
    std::string message = path + ": " + what;
    if (err != 0) {
        message += ": ";
        message += std::strerror(err);
    }
    return message;
}

// Reads everything from an open stream. False on a read error. A size hint
// (the size of a regular file, or -1) lets the read go in one piece.
bool readWholeStream(std::FILE* in, std::vector<uint8_t>& bytes, int64_t sizeHint) {
    bytes.clear();
    // With the size of a regular file known, the file is read in one piece
    // into a buffer of its size: no regrowth copies, peak memory = the file.
    const int64_t size = sizeHint;
    size_t used = 0;
    if (size > 0) {
        bytes.resize(static_cast<size_t>(size));
        used = std::fread(bytes.data(), 1, bytes.size(), in);
        if (used < bytes.size()) {
            bytes.resize(used);
            return std::ferror(in) == 0;
        }
        const int more = std::fgetc(in);
        if (more == EOF) return std::ferror(in) == 0;
        bytes.push_back(static_cast<uint8_t>(more));
        ++used;
    }
    // Whatever follows (a growing file, a pipe) is read in chunks.
    constexpr size_t kChunk = 1 << 20;
    for (;;) {
        bytes.resize(used + kChunk);
        const size_t got = std::fread(bytes.data() + used, 1, kChunk, in);
        used += got;
        if (got < kChunk) break;
    }
    bytes.resize(used);
    if (size <= 0) bytes.shrink_to_fit();
    return std::ferror(in) == 0;
}

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

InputFile::InputFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

InputFile::~InputFile() { close(); }

InputFile::InputFile(InputFile&& other) noexcept : bytes_(std::move(other.bytes_)), mapped_(other.mapped_) {
    other.mapped_ = platform::MappedInput{};
}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        close();
        bytes_ = std::move(other.bytes_);
        mapped_ = other.mapped_;
        other.mapped_ = platform::MappedInput{};
    }
    return *this;
}

void InputFile::close() {
    platform::unmapInputFile(mapped_);
    bytes_.clear();
    bytes_.shrink_to_fit();
}

bool InputFile::open(const std::string& path, std::string& error) {
    close();
    mapped_ = platform::mapInputFile(path);
    if (mapped_.data != nullptr) return true;

    // Not mapped: read. Failures to open or read are reported from here, in
    // the same words whatever the kind of file.
    int openError = 0;
    // Closed on every way out, an allocation failure included.
    const std::unique_ptr<std::FILE, CloseFile> in(platform::openInput(path, openError));
    if (!in) {
        error = describe(path, "cannot open", openError);
        return false;
    }
    // Only a regular file's size is a size (a directory's is not).
    const int64_t sizeHint = platform::regularFileSize(path);
    errno = 0;
    const bool ok = readWholeStream(in.get(), bytes_, sizeHint);
    const int err = errno;
    if (!ok) error = describe(path, "cannot read", err);
    return ok;
}

std::string InputFile::lostMessage(const std::string& path) {
    return path + ": " + kLostReason;
}

}  // namespace mevlo
