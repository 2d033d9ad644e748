// POSIX mapping of input files, guarded against truncation; blocks of
// anonymous memory.
//
// Another process may truncate a file while it is mapped; the next access
// to a page past the new end raises SIGBUS, which would kill the process.
// The guard's handler maps zero pages over the lost part of the mapping and
// notes the loss: the access completes, reading zeros, and the command, which
// checks the note before it commits anything made from the input, ends with
// a message instead of a crash.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "io/platform.h"

namespace mevlo {
namespace platform {

namespace {

// Mappings the handler may repair. It reads only these fixed slots; a slot
// is live while begin is non-zero (end is stored first, begin last).
constexpr int32_t kWatchSlots = 8;

struct WatchedRange {
    std::atomic<uintptr_t> begin{0};
    std::atomic<uintptr_t> end{0};
    std::atomic<int32_t> lost{0};
};

WatchedRange watched[kWatchSlots];
uintptr_t pageBytes = 4096;
struct sigaction previousBusAction;

void onBusError(int signalNumber, siginfo_t* info, void*) {
    const int savedErrno = errno;
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    const bool fault = info->si_code > 0;  // raised by the hardware, not sent
    for (WatchedRange& range : watched) {
        const uintptr_t begin = range.begin.load();
        const uintptr_t end = range.end.load();
        if (!fault || begin == 0 || address < begin || address >= end) continue;
        // Everything from the faulting page on is taken as lost: one repair
        // however many pages went.
        const uintptr_t page = address & ~(pageBytes - 1);
        void* zeros = mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros == MAP_FAILED) break;
        range.lost.store(1);
        errno = savedErrno;
        return;  // the access is retried and now reads zeros
    }
    // Not a watched mapping: whatever handled SIGBUS before handles it. A
    // fault repeats when this handler returns; a sent signal is sent again.
    sigaction(SIGBUS, &previousBusAction, nullptr);
    if (!fault) raise(signalNumber);
    errno = savedErrno;
}

bool installBusGuard() {
    static bool installed = false;
    if (installed) return true;
    const long page = sysconf(_SC_PAGESIZE);
    if (page > 0) pageBytes = static_cast<uintptr_t>(page);
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGBUS, &action, &previousBusAction) != 0) return false;
    installed = true;
    return true;
}

}  // namespace

MappedInput mapInputFile(const std::string& path) {
    MappedInput input;
    if (!installBusGuard()) return input;
    int32_t slot = 0;
    while (slot < kWatchSlots && watched[slot].begin.load() != 0) ++slot;
    if (slot == kWatchSlots) return input;  // unguarded mappings are not made

    int fd;
    do {
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return input;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
        static_cast<uint64_t>(st.st_size) > SIZE_MAX / 2) {
        close(fd);
        return input;
    }
    const auto size = static_cast<size_t>(st.st_size);
    int flags = MAP_SHARED;
#ifdef MAP_POPULATE
    // The whole file is decoded: filling the page tables in one call is
    // far cheaper than a fault per page.
    flags |= MAP_POPULATE;
#endif
    void* data = mmap(nullptr, size, PROT_READ, flags, fd, 0);
    close(fd);  // the mapping keeps the file (even once renamed over)
    if (data == MAP_FAILED) return input;

    const auto begin = reinterpret_cast<uintptr_t>(data);
    const uintptr_t pages = (size + pageBytes - 1) & ~(pageBytes - 1);
    watched[slot].lost.store(0);
    watched[slot].end.store(begin + pages);
    watched[slot].begin.store(begin);
    input.data = static_cast<const uint8_t*>(data);
    input.size = size;
    input.slot = slot;
    return input;
}

void unmapInputFile(MappedInput& input) {
    if (input.data != nullptr) {
        if (input.slot >= 0 && input.slot < kWatchSlots) watched[input.slot].begin.store(0);
        munmap(const_cast<uint8_t*>(input.data), input.size);
    }
    input = MappedInput{};
}

void releaseMappedRange(const MappedInput& input, const uint8_t* begin, size_t size) {
    const auto start = reinterpret_cast<uintptr_t>(input.data);
    const auto from = reinterpret_cast<uintptr_t>(begin);
    if (input.data == nullptr || from < start || size > input.size || from - start > input.size - size) return;
    const uintptr_t first = (from + pageBytes - 1) & ~(pageBytes - 1);
    const uintptr_t last = (from + size) & ~(pageBytes - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

bool mappedInputLost(const MappedInput& input) {
    return input.slot >= 0 && input.slot < kWatchSlots && watched[input.slot].lost.load() != 0;
}

// Anonymous memory straight from the kernel: a block is released whole,
// and nothing in it is touched before it is used. Huge pages were tried on
// these blocks (MADV_HUGEPAGE): a fault per 2 MB instead of per 4 KB, but
// more system time on the whole, so they are not asked for.
void* allocateBlock(size_t size) {
    if (size == 0) return nullptr;
    void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
}

void releaseBlock(void* block, size_t size) {
    if (block != nullptr) munmap(block, size);
}

}  // namespace platform
}  // namespace mevlo
