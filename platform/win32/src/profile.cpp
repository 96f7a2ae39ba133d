// Profile (ini) file functions over host files; every call reads the file anew (no cache).
#include <windows.h>

#include "profile_text.h"
#include "win32sim/machine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using win32sim::detail::ProfileText;

// One lock around each call: a read-modify-write of one thread never interleaves another's.
std::mutex profileLock;

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

std::string HostFile(LPCSTR lpFileName) {
    return lpFileName == nullptr ? std::string() : win32sim::HostPath(lpFileName);
}

bool HostFolderExists(const std::string& hostPath) {
    const std::size_t slash = hostPath.rfind('/');
    const std::string folder = slash == 0 ? std::string("/") : hostPath.substr(0, slash);
    struct stat st;
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

enum class ReadResult { Ok, Missing, Failed };

// The whole host file. Missing: neither the file nor perhaps its folder exists.
ReadResult ReadWholeFile(const std::string& hostPath, std::string& bytes, DWORD& error) {
    bytes.clear();
    if (hostPath.empty())
        return ReadResult::Missing;
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return ReadResult::Missing;
        error = ErrorFromErrno(errno);
        return ReadResult::Failed;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        error = ERROR_ACCESS_DENIED;
        return ReadResult::Failed;
    }
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = ErrorFromErrno(errno);
            ::close(fd);
            return ReadResult::Failed;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::Ok;
}

// Replaces the whole host file through a temporary file in its folder, so that a failed write
// leaves the old file whole. A file without write permission stands for a read-only file.
bool WriteWholeFile(const std::string& hostPath, std::string_view bytes, DWORD& error) {
    mode_t mode = 0644;
    struct stat st;
    if (::stat(hostPath.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode) || (st.st_mode & S_IWUSR) == 0) {
            error = ERROR_ACCESS_DENIED;
            return false;
        }
        mode = st.st_mode & 07777;
    }
    std::string temp = hostPath.substr(0, hostPath.rfind('/')) + "/.profile-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = ErrorFromErrno(errno);
        return false;
    }
    int failure = 0;
    std::size_t done = 0;
    while (failure == 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            failure = errno;
        else if (n == 0)
            failure = EIO;
        else
            done += static_cast<std::size_t>(n);
    }
    if (failure == 0 && ::fchmod(fd, mode) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temp.c_str(), hostPath.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temp.c_str());
        error = ErrorFromErrno(failure);
        return false;
    }
    return true;
}

// The bytes of a profile file for reading: a file that is missing or unreadable reads as empty.
// A missing file is the last error, as Windows reports it; the call goes on with the default.
std::string ReadProfile(LPCSTR lpFileName) {
    std::string bytes;
    DWORD ignored = 0;
    const std::string host = HostFile(lpFileName);
    const ReadResult read = ReadWholeFile(host, bytes, ignored);
    if (read == ReadResult::Missing)
        SetLastError(!host.empty() && HostFolderExists(host) ? ERROR_FILE_NOT_FOUND
                                                             : ERROR_PATH_NOT_FOUND);
    if (read != ReadResult::Ok)
        bytes.clear();
    return bytes;
}

// A list of NUL-terminated names closed by one more NUL; cut to fit as Windows cuts it. Windows
// wants one byte more than the list takes: a buffer that fits it exactly gets it cut.
DWORD CopyList(const std::vector<std::string_view>& names, LPSTR buffer, DWORD nSize) {
    std::string list;
    for (const auto name : names)
        list.append(name).push_back('\0');
    if (list.size() + 1 < nSize) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        return static_cast<DWORD>(list.size());
    }
    if (nSize < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, list.data(), nSize - 2);
    buffer[nSize - 2] = '\0';
    buffer[nSize - 1] = '\0';
    return nSize - 2;
}

DWORD CopyText(std::string_view text, LPSTR buffer, DWORD nSize) {
    const std::size_t n = text.size() < nSize - 1 ? text.size() : nSize - 1;
    if (n > 0) // an empty view may have no data pointer at all
        std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

DWORD SectionNames(LPSTR buffer, DWORD nSize, LPCSTR lpFileName) {
    const std::string bytes = ReadProfile(lpFileName);
    return CopyList(ProfileText(bytes).SectionNames(), buffer, nSize);
}

} // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0)
        return 0;
    std::lock_guard lock(profileLock);
    if (lpAppName == nullptr)
        return SectionNames(lpReturnedString, nSize, lpFileName);
    const std::string bytes = ReadProfile(lpFileName);
    const ProfileText text(bytes);
    // Trailing blanks of the default are cut, down to its first character.
    std::string_view fallback = lpDefault == nullptr ? "" : lpDefault;
    while (fallback.size() > 1 && fallback.back() == ' ')
        fallback.remove_suffix(1);
    if (lpKeyName == nullptr) {
        // A section without keys (or none at all) gives the default instead of an empty list.
        const auto keys = text.KeyNames(lpAppName);
        return keys.empty() ? CopyText(fallback, lpReturnedString, nSize)
                            : CopyList(keys, lpReturnedString, nSize);
    }
    if (const auto value = text.Value(lpAppName, lpKeyName))
        return CopyText(*value, lpReturnedString, nSize);
    return CopyText(fallback, lpReturnedString, nSize);
}

// A NULL section name (the "flush the cache" call of Windows) has nothing to do here and fails,
// as it does on Windows. Deleting what is not there succeeds without creating the file.
BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                       LPCSTR lpFileName) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (lpAppName == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::lock_guard lock(profileLock);
    const std::string host = HostFile(lpFileName);
    if (host.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string bytes;
    DWORD error = ERROR_SUCCESS;
    switch (ReadWholeFile(host, bytes, error)) {
    case ReadResult::Ok:
        break;
    case ReadResult::Missing:
        if (!HostFolderExists(host)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
        break;
    case ReadResult::Failed:
        // Never rewrite a file that could not be read: its contents would be lost.
        SetLastError(error);
        return FALSE;
    }

    const ProfileText text(bytes);
    std::optional<std::string> edited;
    if (lpKeyName == nullptr)
        edited = text.WithoutSection(lpAppName);
    else if (lpString == nullptr)
        edited = text.WithoutKey(lpAppName, lpKeyName);
    else
        edited = text.WithValue(lpAppName, lpKeyName, lpString);
    if (!edited)
        return TRUE;
    if (!WriteWholeFile(host, *edited, error)) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

// An empty value counts as missing (Windows reads the value as text first); NULL names too.
UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault,
                                  LPCSTR lpFileName) {
    const UINT fallback = static_cast<UINT>(nDefault);
    if (lpAppName == nullptr || lpKeyName == nullptr)
        return fallback;
    std::lock_guard lock(profileLock);
    const std::string bytes = ReadProfile(lpFileName);
    const auto value = ProfileText(bytes).Value(lpAppName, lpKeyName);
    if (!value || value->empty())
        return fallback;
    std::string_view digits = *value;
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t'))
        digits.remove_prefix(1);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative)
        digits.remove_prefix(1);
    UINT number = 0; // unsigned, so that overflow wraps as on Windows
    for (const char c : digits) {
        if (c < '0' || c > '9')
            break;
        number = number * 10u + static_cast<UINT>(c - '0');
    }
    return negative ? 0u - number : number;
}

DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize,
                                            LPCSTR lpFileName) {
    if (lpszReturnBuffer == nullptr || nSize == 0)
        return 0;
    std::lock_guard lock(profileLock);
    return SectionNames(lpszReturnBuffer, nSize, lpFileName);
}
