// POSIX implementation of the file layer's platform calls.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "io/platform.h"

namespace mevlo {
namespace platform {

namespace {

// Temporary files a terminating signal must remove. The handler may only
// read fixed storage, so the paths are kept in plain arrays; the slots are
// changed only while those signals are blocked.
constexpr int kGuardSlots = 8;
constexpr size_t kGuardPathBytes = 4096;

struct TemporaryGuard {
    volatile sig_atomic_t used = 0;
    char path[kGuardPathBytes] = {};
};

TemporaryGuard guards[kGuardSlots];

// SIGXFSZ is among them: a write past the file-size limit with the default
// action would otherwise end the process with the temporary file left.
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};

void removeTemporariesAndDie(int signalNumber) {
    const int savedErrno = errno;
    for (TemporaryGuard& guard : guards) {
        if (guard.used) unlink(guard.path);
    }
    // Die as the signal's default action would, so the parent sees it; it
    // is delivered once this handler returns and unblocks it.
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
    errno = savedErrno;
}

sigset_t cleanupSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kCleanupSignals) sigaddset(&set, s);
    return set;
}

// The handler replaces only the default action: a signal the user chose to
// ignore (nohup, a test's SIG_IGN) stays ignored, and a handler someone
// else installed stays theirs.
void installCleanupHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int s : kCleanupSignals) {
        struct sigaction current;
        if (sigaction(s, nullptr, &current) != 0) continue;
        if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction cleanup;
        std::memset(&cleanup, 0, sizeof cleanup);
        cleanup.sa_handler = removeTemporariesAndDie;
        cleanup.sa_mask = cleanupSignalSet();
        sigaction(s, &cleanup, nullptr);
    }
}

// Blocks the cleanup signals for a scope, so that creating, renaming or
// removing a temporary file and updating its guard happen as one step.
class CleanupSignalsBlocked {
public:
    CleanupSignalsBlocked() {
        const sigset_t set = cleanupSignalSet();
        sigprocmask(SIG_BLOCK, &set, &previous_);
    }
    ~CleanupSignalsBlocked() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    CleanupSignalsBlocked(const CleanupSignalsBlocked&) = delete;
    CleanupSignalsBlocked& operator=(const CleanupSignalsBlocked&) = delete;

private:
    sigset_t previous_;
};

void guard(const std::string& path) {
    if (path.size() >= kGuardPathBytes) return;  // such a name is left to chance
    for (TemporaryGuard& slot : guards) {
        if (slot.used) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.used = 1;
        return;
    }
}

void unguard(const std::string& path) {
    for (TemporaryGuard& slot : guards) {
        if (slot.used && path == slot.path) slot.used = 0;
    }
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Six characters that make a fresh name; uniqueness comes from the
// exclusive create, the randomness only avoids retries.
std::string uniqueSuffix(uint64_t attempt) {
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    uint64_t x = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 30) ^
                 (static_cast<uint64_t>(getpid()) << 16) ^ (attempt * 0x9E3779B97F4A7C15ull);
    std::string suffix(6, 'a');
    for (char& c : suffix) {
        x ^= x >> 33;
        x *= 0xFF51AFD7ED558CCDull;
        x ^= x >> 29;
        c = kAlphabet[x % 62];
    }
    return suffix;
}

// The name a relative link text stands for, seen from the link's place.
std::string linkTarget(const std::string& linkPath, const std::string& text) {
    if (!text.empty() && text[0] == '/') return text;
    const size_t slash = linkPath.find_last_of('/');
    return slash == std::string::npos ? text : linkPath.substr(0, slash + 1) + text;
}

}  // namespace

OutputTarget classifyOutput(const std::string& path) {
    OutputTarget target;
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        target.replacedPath = current;
        // Names of open descriptors and devices (/dev/stdout, /proc/self/fd/1)
        // mean the open file itself, whatever it is: never replace them.
        if (startsWith(current, "/dev/") || startsWith(current, "/proc/")) {
            target.direct = true;
            return target;
        }
        struct stat st;
        if (lstat(current.c_str(), &st) != 0) return target;  // a new file (or creating it says why not)
        if (S_ISLNK(st.st_mode)) {
            char text[4096];
            const ssize_t n = readlink(current.c_str(), text, sizeof text);
            if (n < 0 || static_cast<size_t>(n) >= sizeof text) break;
            current = linkTarget(current, std::string(text, static_cast<size_t>(n)));
            continue;
        }
        if (!S_ISREG(st.st_mode)) {
            target.direct = true;
            return target;
        }
        target.existingMode = static_cast<int32_t>(st.st_mode & 07777);
        return target;
    }
    // A loop of links or an unreadable one: opening the path reports it.
    target.replacedPath = path;
    target.direct = true;
    return target;
}

FileHandle openDirect(const std::string& path, int& err) {
    int fd;
    do {
        fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    err = fd < 0 ? errno : 0;
    return fd < 0 ? kNoFile : fd;
}

FileHandle createTemporary(const std::string& replacedPath, int32_t existingMode, std::string& tempPath, int& err) {
    installCleanupHandlers();
    // Leave room in the name for the prefix and suffix within the usual
    // 255-byte limit of one name.
    std::string name = nameOf(replacedPath);
    if (name.size() > 200) name.resize(200);
    const std::string stem = directoryOf(replacedPath) + "/." + name + ".";
    // An existing file's mode is set before anything is written; a new file
    // is created as a plain create would make it (0666 less the umask).
    const mode_t createMode = existingMode >= 0 ? 0600 : 0666;
    for (uint64_t attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = stem + uniqueSuffix(attempt) + ".tmp";
        CleanupSignalsBlocked blocked;
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        if (fd < 0) {
            if (errno == EEXIST || errno == EINTR) continue;
            err = errno;
            return kNoFile;
        }
        guard(candidate);
        tempPath = candidate;
        if (existingMode >= 0) {
            struct stat old;
            // Keep the replaced file's owner where allowed, and its mode.
            if (stat(replacedPath.c_str(), &old) == 0) {
                if (fchown(fd, old.st_uid, old.st_gid) != 0) { /* not permitted: the file becomes ours */ }
            }
            if (fchmod(fd, static_cast<mode_t>(existingMode)) != 0) {
                err = errno;
                close(fd);
                unlink(candidate.c_str());
                unguard(candidate);
                return kNoFile;
            }
        }
        err = 0;
        return fd;
    }
    err = EEXIST;
    return kNoFile;
}

bool writeAll(FileHandle file, const void* data, size_t size, int& err) {
    const auto* at = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = write(static_cast<int>(file), at, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        if (n == 0) {
            err = EIO;
            return false;
        }
        at += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool syncFile(FileHandle file, int& err) {
    if (fsync(static_cast<int>(file)) == 0) return true;
    err = errno;
    return false;
}

bool closeFile(FileHandle file, int& err) {
    // A close interrupted by a signal must not be retried on Linux: the
    // descriptor is already gone.
    if (close(static_cast<int>(file)) == 0 || errno == EINTR) return true;
    err = errno;
    return false;
}

bool replaceWithTemporary(const std::string& tempPath, const std::string& replacedPath, int& err) {
    {
        CleanupSignalsBlocked blocked;
        if (rename(tempPath.c_str(), replacedPath.c_str()) != 0) {
            err = errno;
            return false;
        }
        unguard(tempPath);
    }
    // Make the new name itself durable; a directory that cannot be synced
    // (some file systems refuse) does not undo a completed replacement.
    const int dir = open(directoryOf(replacedPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        if (fsync(dir) != 0) { /* best effort */ }
        close(dir);
    }
    return true;
}

void removeTemporary(const std::string& tempPath) {
    CleanupSignalsBlocked blocked;
    unlink(tempPath.c_str());
    unguard(tempPath);
}

std::string errorText(int err) { return std::strerror(err); }

std::FILE* openInput(const std::string& path, int& err) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    err = file ? 0 : errno;
    return file;
}

int64_t regularFileSize(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return -1;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? -1 : static_cast<int64_t>(size);
}

void prepareConsole() {}  // terminals take the bytes as they come

bool utf8CommandLine(std::vector<std::string>&) { return false; }  // argv holds the bytes as given

}  // namespace platform
}  // namespace mevlo
