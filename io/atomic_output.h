// Output files that are replaced as a whole or not at all.
//
// A regular target is written to a new temporary file beside it
// (".<name>.XXXXXX.tmp", created exclusively), which is flushed, synced and
// closed, each step checked, and only then renamed over the target. Until
// that rename the target holds its old bytes (or does not exist); after any
// failure, or a terminating signal (SIGINT, SIGTERM, SIGHUP, SIGXFSZ) during
// the write, the temporary file is removed. Only a hard kill or a power cut
// can leave a stray temporary file, never a damaged target.
//
// A replaced file keeps its mode; a new one gets 0666 less the umask. A
// symbolic link at the path stays, and the file it points to is replaced.
// A target that is not a regular file (a device, a pipe, /dev/stdout) is
// written in place and never removed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/platform.h"

namespace mevlo {

class AtomicOutput {
public:
    AtomicOutput() = default;
    // Discards the output unless it was committed.
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    // Prepares the output at path. On failure error holds
    // "<path>: cannot create output file: <reason>".
    bool open(const std::string& path, std::string& error);
    // Appends bytes (buffered). False once anything has failed; the reason
    // is reported by commit.
    bool write(const void* data, size_t size);
    // Flushes, syncs, closes and puts the file in place. On failure error
    // holds "<path>: cannot write output file: <reason>" and the target is
    // as it was.
    bool commit(std::string& error);
    // Removes the temporary file; the target stays as it was.
    void discard();

private:
    bool flushBuffer();
    void fail(int err);

    std::string path_;
    std::string replacedPath_;
    std::string tempPath_;
    platform::FileHandle file_ = platform::kNoFile;
    bool direct_ = false;
    bool failed_ = false;
    int failure_ = 0;
    std::vector<uint8_t> buffer_;
};

// A run of bytes held elsewhere.
struct ByteSpan {
    const void* data = nullptr;
    size_t size = 0;
};

// Writes the pieces, in order, as the whole new content of path, through an
// AtomicOutput: the target is replaced only once everything was written.
bool writeWholeFile(const std::string& path, const std::vector<ByteSpan>& pieces, std::string& error);
inline bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    return writeWholeFile(path, {ByteSpan{bytes.data(), bytes.size()}}, error);
}

}  // namespace mevlo
