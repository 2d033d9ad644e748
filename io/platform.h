// The operating-system calls the file layer needs, behind a few functions so
// that each platform supplies its own implementation (platform_posix.cpp,
// platform_windows.cpp). Paths are UTF-8 on every platform.
// Every function reports failure through its result and an errno-style code
// (0 when the failure has no code); none of them throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace mevlo {
namespace platform {

// An open file; kNoFile when closed.
using FileHandle = int64_t;
constexpr FileHandle kNoFile = -1;

// How an output path is written.
struct OutputTarget {
    // The file that is replaced: the path itself, or the file a chain of
    // symbolic links at the path ends at (the links stay).
    std::string replacedPath;
    // A device, a pipe, an already open descriptor and the like: written
    // in place, never replaced or removed.
    bool direct = false;
    // The mode bits of the file being replaced, or -1 when there is none yet.
    int32_t existingMode = -1;
};

OutputTarget classifyOutput(const std::string& path);

// Opens a target for writing in place (created if missing, truncated).
FileHandle openDirect(const std::string& path, int& err);

// Creates a new, empty file beside replacedPath with exclusive create, named
// ".<name>.XXXXXX.tmp", so that it never clobbers another file. A new file
// gets the mode a plain create would give (0666 less the umask); with
// existingMode >= 0 it gets that mode instead. Until forgetTemporary or
// removeTemporary, a terminating signal removes the file before the process
// dies.
FileHandle createTemporary(const std::string& replacedPath, int32_t existingMode, std::string& tempPath, int& err);

// Writes all size bytes (retrying short and interrupted writes).
bool writeAll(FileHandle file, const void* data, size_t size, int& err);
// Forces written data to the storage device.
bool syncFile(FileHandle file, int& err);
bool closeFile(FileHandle file, int& err);

// Atomically puts the temporary file in place of replacedPath and stops
// guarding it against signals.
bool replaceWithTemporary(const std::string& tempPath, const std::string& replacedPath, int& err);
// Deletes the temporary file and stops guarding it.
void removeTemporary(const std::string& tempPath);

// A whole regular input file mapped read-only. An empty view (data null)
// means the file is not mapped, and the caller reads it instead: it is not
// a regular file (a pipe, a device), is empty, cannot be opened, or the
// system does not map inputs (platform_portable.cpp).
struct MappedInput {
    const uint8_t* data = nullptr;
    size_t size = 0;
    // Which guard watches the mapping; -1 when none does.
    int32_t slot = -1;
};

MappedInput mapInputFile(const std::string& path);
// Unmaps and stops watching. Safe on an empty view.
void unmapInputFile(MappedInput& input);
// True once part of the mapped file vanished while mapped (another process
// truncated it). The lost pages read as zeros from then on, so whatever was
// decoded from the file since is unreliable and must not be committed.
bool mappedInputLost(const MappedInput& input);
// A hint that [begin, begin + size) of the mapping will not be read again:
// its whole pages may leave memory (a later read would fetch them anew).
void releaseMappedRange(const MappedInput& input, const uint8_t* begin, size_t size);

// Memory for a block of many small objects, which live and go together,
// taken from and given back to the system whole. The memory is not
// initialised. Null when there is none.
void* allocateBlock(size_t size);
void releaseBlock(void* block, size_t size);

// The text of an error code.
std::string errorText(int err);

// Opens a file for binary reading; on failure err holds the errno value.
std::FILE* openInput(const std::string& path, int& err);
// The size of a regular file, or -1 for anything else (a directory, a
// device, a path that does not exist).
int64_t regularFileSize(const std::string& path);

// Makes the console show the UTF-8 text the programs print.
void prepareConsole();

// The process's arguments as UTF-8, where the C runtime's argv may not be;
// false where argv already is (as given by the caller).
bool utf8CommandLine(std::vector<std::string>& arguments);

}  // namespace platform
}  // namespace mevlo
