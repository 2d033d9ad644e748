// Windows implementation of the file layer's platform calls. Paths arrive as
// UTF-8 and go to the system as UTF-16, so that any character works whatever
// the user's ANSI code page; error codes are the system's (GetLastError).
#include <windows.h>
#include <shellapi.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <mutex>

#include "io/platform.h"

namespace mevlo {
namespace platform {

namespace {

std::wstring widePath(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], length);
    return text;
}

std::string utf8Text(const wchar_t* text, size_t length) {
    if (length == 0) return std::string();
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &out[0], bytes, nullptr, nullptr);
    return out;
}

HANDLE asHandle(FileHandle file) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(file)); }
FileHandle asFileHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? kNoFile : static_cast<FileHandle>(reinterpret_cast<intptr_t>(handle));
}

// Temporary files that Ctrl+C, Ctrl+Break or closing the console must
// remove. The console handler runs on a thread of its own, hence the lock.
// The files are open with FILE_SHARE_DELETE, so deleting one while it is
// being written marks it to vanish when the dying process closes it.
std::mutex guardLock;
std::wstring guardedPaths[8];

BOOL WINAPI removeTemporariesOnConsoleEvent(DWORD) {
    std::lock_guard<std::mutex> lock(guardLock);
    for (std::wstring& path : guardedPaths) {
        if (!path.empty()) DeleteFileW(path.c_str());
    }
    return FALSE;  // the default handler then ends the process
}

void guard(const std::wstring& path) {
    static const bool installed = SetConsoleCtrlHandler(removeTemporariesOnConsoleEvent, TRUE) != 0;
    (void)installed;
    std::lock_guard<std::mutex> lock(guardLock);
    for (std::wstring& slot : guardedPaths) {
        if (slot.empty()) {
            slot = path;
            return;
        }
    }
}

void unguard(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(guardLock);
    for (std::wstring& slot : guardedPaths) {
        if (slot == path) slot.clear();
    }
}

size_t lastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

std::string directoryOf(const std::string& path) {
    const size_t slash = lastSeparator(path);
    if (slash != std::string::npos) return path.substr(0, slash + 1);
    // "C:name" is relative to the current directory of drive C.
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    return std::string();
}

std::string nameOf(const std::string& path) {
    const size_t slash = lastSeparator(path);
    if (slash != std::string::npos) return path.substr(slash + 1);
    return path.size() >= 2 && path[1] == ':' ? path.substr(2) : path;
}

// Six characters that make a fresh name; uniqueness comes from the
// exclusive create, the randomness only avoids retries.
std::string uniqueSuffix(uint64_t attempt) {
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";  // names ignore case here
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    uint64_t x = static_cast<uint64_t>(now.QuadPart) ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 32) ^
                 (attempt * 0x9E3779B97F4A7C15ull);
    std::string suffix(6, 'a');
    for (char& c : suffix) {
        x ^= x >> 33;
        x *= 0xFF51AFD7ED558CCDull;
        x ^= x >> 29;
        c = kAlphabet[x % 36];
    }
    return suffix;
}

// NUL, CON, COM1, LPT1 and the other reserved names mean a device in any
// folder and with any extension ("nul.txt"), as does "\\.\" before a name.
bool isDeviceName(const std::string& path) {
    if (path.rfind("\\\\.\\", 0) == 0) return true;
    std::string name = nameOf(path);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kNames) {
        if (name == device) return true;
    }
    return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) && name[3] >= '1' &&
           name[3] <= '9';
}

// The file a path ends at after every link, as a path the system accepts.
std::string finalPathOf(HANDLE file, const std::string& fallback) {
    wchar_t buffer[32768];
    const DWORD length = GetFinalPathNameByHandleW(file, buffer, 32768, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= 32768) return fallback;
    return utf8Text(buffer, length);
}

}  // namespace

OutputTarget classifyOutput(const std::string& path) {
    OutputTarget target;
    target.replacedPath = path;
    if (isDeviceName(path)) {
        target.direct = true;
        return target;
    }
    const std::wstring wide = widePath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    // Opened without access rights, only to ask what the path names; devices
    // (NUL, CON, COM1) answer too.
    const HANDLE existing = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (existing == INVALID_HANDLE_VALUE) return target;  // a new file (or creating it says why not)
    const bool disk = GetFileType(existing) == FILE_TYPE_DISK;
    if (!disk || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))) {
        target.direct = true;
    } else {
        target.existingMode = 0;
        // A symbolic link stays; the file it leads to is replaced.
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            target.replacedPath = finalPathOf(existing, path);
        }
    }
    CloseHandle(existing);
    return target;
}

FileHandle openDirect(const std::string& path, int& err) {
    const HANDLE file = CreateFileW(widePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    err = file == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError()) : 0;
    return asFileHandle(file);
}

FileHandle createTemporary(const std::string& replacedPath, int32_t, std::string& tempPath, int& err) {
    std::string name = nameOf(replacedPath);
    if (name.size() > 200) name.resize(200);
    const std::string stem = directoryOf(replacedPath) + "." + name + ".";
    for (uint64_t attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = stem + uniqueSuffix(attempt) + ".tmp";
        const std::wstring wide = widePath(candidate);
        const HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD code = GetLastError();
            if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) continue;
            err = static_cast<int>(code);
            return kNoFile;
        }
        guard(wide);
        tempPath = candidate;
        err = 0;
        return asFileHandle(file);
    }
    err = ERROR_FILE_EXISTS;
    return kNoFile;
}

bool writeAll(FileHandle file, const void* data, size_t size, int& err) {
    const auto* at = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = size < (DWORD{1} << 30) ? static_cast<DWORD>(size) : (DWORD{1} << 30);
        DWORD written = 0;
        if (!WriteFile(asHandle(file), at, chunk, &written, nullptr)) {
            err = static_cast<int>(GetLastError());
            return false;
        }
        if (written == 0) {
            err = ERROR_WRITE_FAULT;
            return false;
        }
        at += written;
        size -= written;
    }
    return true;
}

bool syncFile(FileHandle file, int& err) {
    if (FlushFileBuffers(asHandle(file))) return true;
    err = static_cast<int>(GetLastError());
    return false;
}

bool closeFile(FileHandle file, int& err) {
    if (CloseHandle(asHandle(file))) return true;
    err = static_cast<int>(GetLastError());
    return false;
}

bool replaceWithTemporary(const std::string& tempPath, const std::string& replacedPath, int& err) {
    const std::wstring wideTemp = widePath(tempPath);
    // Write-through: the call returns once the new name is on the disk.
    if (!MoveFileExW(wideTemp.c_str(), widePath(replacedPath).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        err = static_cast<int>(GetLastError());
        return false;
    }
    unguard(wideTemp);
    return true;
}

void removeTemporary(const std::string& tempPath) {
    const std::wstring wide = widePath(tempPath);
    DeleteFileW(wide.c_str());
    unguard(wide);
}

std::string errorText(int err) {
    wchar_t* message = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(err), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::string text = message ? utf8Text(message, length) : std::string();
    if (message) LocalFree(message);
    // System messages end in a full stop and a line break.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(err) : text;
}

std::FILE* openInput(const std::string& path, int& err) {
    errno = 0;
    std::FILE* file = _wfopen(widePath(path).c_str(), L"rb");
    err = file ? 0 : errno;
    return file;
}

int64_t regularFileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool utf8CommandLine(std::vector<std::string>& arguments) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return false;
    arguments.clear();
    for (int i = 0; i < count; ++i) arguments.push_back(utf8Text(wide[i], std::wcslen(wide[i])));
    LocalFree(wide);
    return true;
}

void prepareConsole() {
    // Text is UTF-8 throughout; a console shows it as such only when told.
    SetConsoleOutputCP(CP_UTF8);
}

}  // namespace platform
}  // namespace mevlo
