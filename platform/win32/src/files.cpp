// Files on the simulated drives: open, I/O, flush, attributes, delete, move, copy, current
// directory, drives.
//
// Share modes are not enforced: every open succeeds whatever other handles hold the file, and
// a file may be deleted while open (the host keeps its data until the last handle closes).
// Attributes passed to CreateFileA, its flags and the template are ignored.
#include "device_files.h"
#include "file_system.h"
#include "handle_table.h"
#include "host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace win32sim::detail {
namespace {

// An open file: a host descriptor and the access the handle was opened with. The position is
// the descriptor's own, so a file object serves one thread at a time; the handle table is
// what may be shared.
class FileObject final : public KernelObject {
public:
    FileObject(int descriptor, bool canRead, bool canWrite)
        : descriptor_(descriptor), canRead_(canRead), canWrite_(canWrite) {}
    ~FileObject() override { ::close(descriptor_); }
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int Descriptor() const { return descriptor_; }
    bool CanRead() const { return canRead_; }
    bool CanWrite() const { return canWrite_; }

private:
    int descriptor_;
    bool canRead_;
    bool canWrite_;
};

// Sets the last error and gives the failure value of the call at hand.
template <class T>
T Fail(DWORD error, T result) {
    SetLastError(error);
    return result;
}

BOOL Fail(DWORD error) {
    return Fail(error, FALSE);
}

// How CreateFileA opens an entry on the host, or why it refuses to.
struct OpenPlan {
    DWORD error = ERROR_SUCCESS;
    int hostFlags = 0;
    bool existed = false;
};

OpenPlan PlanOpen(const ResolvedPath& path, DWORD access, DWORD disposition) {
    OpenPlan plan;
    const bool wantsWrite = (access & GENERIC_WRITE) != 0;
    const bool wantsRead = (access & GENERIC_READ) != 0;
    const int accessFlags = wantsWrite ? (wantsRead ? O_RDWR : O_WRONLY) : O_RDONLY;
    if (path.IsFolder()) {
        plan.error = disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED;
        return plan;
    }
    if (path.IsFile()) {
        plan.existed = true;
        const bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
        if (disposition == CREATE_NEW)
            plan.error = ERROR_FILE_EXISTS;
        else if (path.entry.readOnly && (truncates || wantsWrite))
            plan.error = ERROR_ACCESS_DENIED;
        // Truncation needs a writable descriptor; the handle's access stays what was asked.
        plan.hostFlags = truncates ? O_RDWR | O_TRUNC : accessFlags;
        return plan;
    }
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)
        plan.error = ERROR_FILE_NOT_FOUND;
    else if (path.namesFolder) // "new\" names a folder, never a file to create
        plan.error = ERROR_INVALID_NAME;
    plan.hostFlags = O_RDWR | O_CREAT | O_EXCL;
    return plan;
}

// Copies a host file's bytes and permissions onto another path, which it creates or truncates;
// durable: the copy's data reach the disk before it counts as made. Returns 0 or the errno; a
// partial target is removed.
int CopyHostFile(const std::string& from, const std::string& to, bool durable = false) {
    const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return errno;
    struct stat st;
    if (::fstat(source, &st) != 0) {
        const int error = errno;
        ::close(source);
        return error;
    }
    const int target = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (target < 0) {
        const int error = errno;
        ::close(source);
        return error;
    }
    int error = 0;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        ssize_t done = 0;
        while (done < got && error == 0) {
            const ssize_t put = ::write(target, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno != EINTR)
                error = errno;
            else if (put > 0)
                done += put;
        }
        if (error != 0)
            break;
    }
    // The copy carries the read-only attribute as Windows' does.
    if (error == 0 && ::fchmod(target, st.st_mode & 07777) != 0)
        error = errno;
    if (error == 0 && durable && ::fsync(target) != 0)
        error = errno;
    if (::close(target) != 0 && error == 0)
        error = errno;
    ::close(source);
    if (error != 0)
        ::unlink(to.c_str());
    return error;
}

// Moves the file onto its new host path and makes the move itself durable: the data first, so
// that a crash cannot leave the new name on an empty file, then the folder that holds the name.
int RenameWrittenThrough(const std::string& from, const std::string& to) {
    if (const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC); source >= 0) {
        const int synced = ::fsync(source) == 0 ? 0 : errno;
        ::close(source);
        if (synced != 0)
            return synced;
    }
    if (::rename(from.c_str(), to.c_str()) != 0)
        return errno;
    const std::string folder = to.substr(0, to.find_last_of('/'));
    if (const int dir =
            ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return 0;
}

} // namespace
} // namespace win32sim::detail

using namespace win32sim::detail;

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    (void)dwShareMode;
    (void)lpSecurityAttributes;
    (void)dwFlagsAndAttributes;
    (void)hTemplateFile;
    if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING)
        return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    if (dwCreationDisposition == TRUNCATE_EXISTING && (dwDesiredAccess & GENERIC_WRITE) == 0)
        return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    if (lpFileName != nullptr && IsDeviceName(lpFileName))
        return OpenDevice(lpFileName);

    const ResolvedPath path = ResolvePath(lpFileName);
    if (path.Failed())
        return Fail(path.error, INVALID_HANDLE_VALUE);
    const OpenPlan plan = PlanOpen(path, dwDesiredAccess, dwCreationDisposition);
    if (plan.error != ERROR_SUCCESS)
        return Fail(plan.error, INVALID_HANDLE_VALUE);
    const int descriptor = ::open(path.host.c_str(), plan.hostFlags | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return Fail(ErrorFromErrno(errno), INVALID_HANDLE_VALUE);

    const HANDLE handle = InsertHandle(std::make_shared<FileObject>(
        descriptor, (dwDesiredAccess & GENERIC_READ) != 0, (dwDesiredAccess & GENERIC_WRITE) != 0));
    const bool reportsExisting =
        dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
    SetLastError(plan.existed && reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

// Positioned (overlapped) transfers are not simulated: they fail with ERROR_INVALID_PARAMETER
// rather than quietly use the file pointer.
BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesRead != nullptr)
        *lpNumberOfBytesRead = 0;
    const auto file = LookupHandleAs<FileObject>(hFile);
    if (!file)
        return Fail(ERROR_INVALID_HANDLE);
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToRead != 0))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!file->CanRead())
        return Fail(ERROR_ACCESS_DENIED);
    auto* bytes = static_cast<char*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
        const ssize_t got = ::read(file->Descriptor(), bytes + done, nNumberOfBytesToRead - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const DWORD error = ErrorFromErrno(errno);
            if (lpNumberOfBytesRead != nullptr)
                *lpNumberOfBytesRead = done;
            return Fail(error);
        }
        if (got == 0) // end of file: a short read, which still succeeds
            break;
        done += static_cast<DWORD>(got);
    }
    if (lpNumberOfBytesRead != nullptr)
        *lpNumberOfBytesRead = done;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = 0;
    const auto file = LookupHandleAs<FileObject>(hFile);
    if (!file)
        return Fail(ERROR_INVALID_HANDLE);
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToWrite != 0))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!file->CanWrite())
        return Fail(ERROR_ACCESS_DENIED);
    const auto* bytes = static_cast<const char*>(lpBuffer);
    const DWORD room = TakeWriteBudget(nNumberOfBytesToWrite);
    DWORD done = 0;
    while (done < room) {
        const ssize_t put = ::write(file->Descriptor(), bytes + done, room - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            const DWORD error = put < 0 ? ErrorFromErrno(errno) : kErrorDiskFull;
            if (lpNumberOfBytesWritten != nullptr)
                *lpNumberOfBytesWritten = done;
            return Fail(error);
        }
        done += static_cast<DWORD>(put);
    }
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = done;
    if (done < nNumberOfBytesToWrite)
        return Fail(kErrorDiskFull);
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
    const auto file = LookupHandleAs<FileObject>(hFile);
    if (!file)
        return Fail(ERROR_INVALID_HANDLE);
    if (!file->CanWrite())
        return Fail(ERROR_ACCESS_DENIED);
    if (::fsync(file->Descriptor()) != 0)
        return Fail(ErrorFromErrno(errno));
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
    const auto file = LookupHandleAs<FileObject>(hFile);
    if (!file)
        return Fail(ERROR_INVALID_HANDLE, INVALID_SET_FILE_POINTER);
    // Without the high part the distance is a signed 32-bit one.
    const std::int64_t distance =
        lpDistanceToMoveHigh == nullptr
            ? std::int64_t{lDistanceToMove}
            : static_cast<std::int64_t>(
                  (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*lpDistanceToMoveHigh))
                   << 32) |
                  static_cast<std::uint32_t>(lDistanceToMove));
    std::int64_t origin = 0;
    switch (dwMoveMethod) {
    case FILE_BEGIN:
        break;
    case FILE_CURRENT:
        origin = ::lseek(file->Descriptor(), 0, SEEK_CUR);
        break;
    case FILE_END: {
        struct stat st;
        origin = ::fstat(file->Descriptor(), &st) == 0 ? st.st_size : -1;
        break;
    }
    default:
        return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    }
    if (origin < 0)
        return Fail(ErrorFromErrno(errno), INVALID_SET_FILE_POINTER);
    std::int64_t position = 0;
    if (__builtin_add_overflow(origin, distance, &position))
        return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    if (position < 0)
        return Fail(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
    // A position beyond 4 GiB cannot be reported without the high part.
    if (lpDistanceToMoveHigh == nullptr && position > std::int64_t{0xFFFFFFFF})
        return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    if (::lseek(file->Descriptor(), static_cast<off_t>(position), SEEK_SET) < 0)
        return Fail(ErrorFromErrno(errno), INVALID_SET_FILE_POINTER);
    if (lpDistanceToMoveHigh != nullptr)
        *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<std::uint64_t>(position) >> 32);
    // The low part may equal INVALID_SET_FILE_POINTER: callers tell by the last error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    const auto file = LookupHandleAs<FileObject>(hFile);
    if (!file)
        return Fail(ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
    struct stat st;
    if (::fstat(file->Descriptor(), &st) != 0)
        return Fail(ErrorFromErrno(errno), INVALID_FILE_SIZE);
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (lpFileSizeHigh != nullptr)
        *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    // The low part may equal INVALID_FILE_SIZE: callers tell by the last error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    const ResolvedPath path = ResolvePath(lpFileName);
    if (path.Failed())
        return Fail(path.error, INVALID_FILE_ATTRIBUTES);
    if (path.Missing())
        return Fail(ERROR_FILE_NOT_FOUND, INVALID_FILE_ATTRIBUTES);
    return AttributesOf(path.entry);
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    const ResolvedPath path = ResolvePath(lpFileName);
    if (path.Failed())
        return Fail(path.error);
    if (path.Missing())
        return Fail(ERROR_FILE_NOT_FOUND);
    // Folders go through RemoveDirectory; read-only files are kept, as Windows keeps them.
    if (path.IsFolder() || path.entry.readOnly)
        return Fail(ERROR_ACCESS_DENIED);
    if (::unlink(path.host.c_str()) != 0)
        return Fail(ErrorFromErrno(errno));
    ForgetEntryMarks(path.host);
    return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
    // Moves that wait for a restart, hard links and link tracking are not simulated.
    constexpr DWORD kKnown =
        MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
    if ((dwFlags & ~kKnown) != 0)
        return Fail(ERROR_INVALID_PARAMETER);
    const bool replaces = (dwFlags & MOVEFILE_REPLACE_EXISTING) != 0;
    const bool writesThrough = (dwFlags & MOVEFILE_WRITE_THROUGH) != 0;
    const ResolvedPath from = ResolvePath(lpExistingFileName);
    if (from.Failed())
        return Fail(from.error);
    if (from.Missing())
        return Fail(ERROR_FILE_NOT_FOUND);
    const ResolvedPath to = ResolvePath(lpNewFileName);
    if (to.Failed())
        return Fail(to.error);

    std::string target = to.host;
    if (to.host == from.host) {
        // The same entry under another spelling: the move changes the case of its name.
        target = to.HostParent() + "/" + to.LastName();
        if (target == from.host)
            return TRUE;
    } else if (!to.Missing()) {
        if (!replaces)
            return Fail(ERROR_ALREADY_EXISTS);
        // Only a file replaces, and only a file that may be written: Windows keeps folders and
        // read-only files.
        if (to.IsFolder() || from.IsFolder() || to.entry.readOnly)
            return Fail(ERROR_ACCESS_DENIED);
    } else if (to.namesFolder && from.IsFile()) {
        return Fail(ERROR_INVALID_NAME);
    }

    if (from.full[0] == to.full[0]) {
        const int error = writesThrough
                              ? RenameWrittenThrough(from.host, target)
                              : (::rename(from.host.c_str(), target.c_str()) == 0 ? 0 : errno);
        if (error == 0) {
            MoveEntryMarks(from.host, target);
            return TRUE;
        }
        if (error != EXDEV)
            return Fail(ErrorFromErrno(error));
    }
    if (from.IsFolder() || (dwFlags & MOVEFILE_COPY_ALLOWED) == 0)
        return Fail(kErrorNotSameDevice);
    // Another drive (or host file system): a file is copied, then the original removed.
    if (const int error = CopyHostFile(from.host, target, writesThrough); error != 0)
        return Fail(ErrorFromErrno(error));
    if (::unlink(from.host.c_str()) != 0) {
        const DWORD error = ErrorFromErrno(errno);
        ::unlink(target.c_str()); // one file stays, never two
        return Fail(error);
    }
    MoveEntryMarks(from.host, target);
    return TRUE;
}

BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
    return MoveFileExA(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
    const ResolvedPath from = ResolvePath(lpExistingFileName);
    if (from.Failed())
        return Fail(from.error);
    if (from.Missing())
        return Fail(ERROR_FILE_NOT_FOUND);
    if (from.IsFolder())
        return Fail(ERROR_ACCESS_DENIED);
    const ResolvedPath to = ResolvePath(lpNewFileName);
    if (to.Failed())
        return Fail(to.error);
    if (!to.Missing()) {
        if (bFailIfExists)
            return Fail(ERROR_FILE_EXISTS);
        if (to.IsFolder() || to.entry.readOnly)
            return Fail(ERROR_ACCESS_DENIED);
        // Copying a file onto itself would truncate it before reading it.
        if (to.host == from.host)
            return Fail(kErrorSharingViolation);
    } else if (to.namesFolder) {
        return Fail(ERROR_INVALID_NAME);
    }
    if (const int error = CopyHostFile(from.host, to.host); error != 0)
        return Fail(ErrorFromErrno(error));
    return TRUE;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    const std::string current = CurrentDirectory();
    const auto length = static_cast<DWORD>(current.size());
    if (lpBuffer == nullptr || nBufferLength <= length)
        return length + 1; // the size needed, with the terminating NUL; the buffer is untouched
    std::memcpy(lpBuffer, current.c_str(), current.size() + 1);
    return length;
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
    const ResolvedPath path = ResolvePath(lpPathName);
    if (path.Failed())
        return Fail(path.error);
    if (path.Missing())
        return Fail(ERROR_FILE_NOT_FOUND);
    if (!path.IsFolder())
        return Fail(kErrorDirectory);
    SetCurrentDirectoryPath(path.full);
    return TRUE;
}

DWORD WINAPI GetLogicalDrives(void) {
    DWORD mask = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (!DriveRoot(letter).empty())
            mask |= DWORD{1} << (letter - 'A');
    return mask;
}
