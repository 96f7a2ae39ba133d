// File attributes the host cannot hold (hidden, system, a folder's read-only), SetFileAttributesA,
// and the free space that WriteFile may still fill.
#include "host_files.h"
#include "sim_state.h"
#include "win32sim/machine.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>
#include <optional>

namespace win32sim::detail {
namespace {

std::mutex marksLock;
std::map<std::string, DWORD> marksByHostPath;
// The store's size, read without the lock: a walk over entries none of which has marks (the
// usual case) asks nothing of the store.
std::atomic<std::size_t> marksKept{0};
std::optional<std::uint64_t> writeBudget;

// A file's read-only attribute is its host mode, so that the host refuses writes as Windows does.
int SetHostReadOnly(const std::string& hostPath, bool readOnly) {
    struct stat st;
    if (::stat(hostPath.c_str(), &st) != 0)
        return errno;
    const mode_t mode = readOnly ? (st.st_mode & ~mode_t{0222}) : (st.st_mode | S_IWUSR);
    return ::chmod(hostPath.c_str(), mode & 07777) == 0 ? 0 : errno;
}

} // namespace

DWORD EntryMarks(const std::string& hostPath) {
    if (marksKept.load(std::memory_order_acquire) == 0)
        return 0;
    std::lock_guard lock(marksLock);
    const auto found = marksByHostPath.find(hostPath);
    return found == marksByHostPath.end() ? 0 : found->second;
}

void SetEntryMarks(const std::string& hostPath, DWORD marks) {
    std::lock_guard lock(marksLock);
    if (marks == 0)
        marksByHostPath.erase(hostPath);
    else
        marksByHostPath[hostPath] = marks;
    marksKept.store(marksByHostPath.size(), std::memory_order_release);
}

void ForgetEntryMarks(const std::string& hostPath) {
    SetEntryMarks(hostPath, 0);
}

void MoveEntryMarks(const std::string& fromHostPath, const std::string& toHostPath) {
    const DWORD marks = EntryMarks(fromHostPath);
    ForgetEntryMarks(fromHostPath);
    SetEntryMarks(toHostPath, marks);
}

void ResetEntryMarks() {
    std::lock_guard lock(marksLock);
    marksByHostPath.clear();
    marksKept.store(0, std::memory_order_release);
    writeBudget.reset();
}

DWORD TakeWriteBudget(DWORD wanted) {
    std::lock_guard lock(marksLock);
    if (!writeBudget)
        return wanted;
    const DWORD granted = *writeBudget < wanted ? static_cast<DWORD>(*writeBudget) : wanted;
    *writeBudget -= granted;
    return granted;
}

} // namespace win32sim::detail

namespace win32sim {

void SetWriteBudget(std::optional<std::uint64_t> bytes) {
    std::lock_guard lock(detail::marksLock);
    detail::writeBudget = bytes;
}

} // namespace win32sim

using namespace win32sim::detail;

BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
    const ResolvedPath path = ResolvePath(lpFileName);
    if (path.Failed()) {
        SetLastError(path.error);
        return FALSE;
    }
    if (path.Missing()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    // Only a file's read-only attribute lives on the host.
    DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    if (path.IsFolder()) {
        kept |= FILE_ATTRIBUTE_READONLY;
    } else if (const int error =
                   SetHostReadOnly(path.host, (dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0);
               error != 0) {
        SetLastError(ErrorFromErrno(error));
        return FALSE;
    }
    SetEntryMarks(path.host, kMarksSet | (dwFileAttributes & kept));
    return TRUE;
}
