#include "driver/commands/file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

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

// Removes a partly written output, but only a regular file: a device such
// as /dev/full must never be unlinked.
void discardPartialOutput(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) std::filesystem::remove(path, ec);
}

}  // namespace

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

bool readInputFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    errno = 0;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        error = describe(path, "cannot open", errno);
        return false;
    }
    // Only a regular file's size is a size (a directory's is not).
    std::error_code ec;
    int64_t sizeHint = -1;
    if (std::filesystem::is_regular_file(path, ec)) {
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec) sizeHint = static_cast<int64_t>(size);
    }
    errno = 0;
    const bool ok = readWholeStream(in, bytes, sizeHint);
    const int err = errno;
    std::fclose(in);
    if (!ok) error = describe(path, "cannot read", err);
    return ok;
}

std::FILE* openOutputFile(const std::string& path, std::string& error) {
    errno = 0;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) error = describe(path, "cannot create output file", errno);
    return out;
}

bool finishOutputFile(std::FILE* out, const std::string& path, const std::vector<uint8_t>& bytes,
                      std::string& error) {
    // An earlier streamed write may already have failed; errno still holds
    // its reason then.
    bool ok = !std::ferror(out);
    int err = errno;
    if (ok) {
        errno = 0;
        ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        err = errno;
    }
    if (ok && std::fflush(out) != 0) {
        ok = false;
        err = errno;
    }
    if (std::fclose(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        error = describe(path, "cannot write output file", err);
        discardPartialOutput(path);
    }
    return ok;
}

bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    std::FILE* out = openOutputFile(path, error);
    if (!out) return false;
    return finishOutputFile(out, path, bytes, error);
}

}  // namespace mevlo
