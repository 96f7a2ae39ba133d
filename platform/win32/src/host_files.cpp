// Resolution of the file names of Win32 calls onto host entries, and host errors as Win32's.
#include "host_files.h"

#include "file_system.h"
#include "win32sim/machine.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace win32sim::detail {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Characters no Windows path may hold; ':' only right after a drive letter.
bool IsValidPathText(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') {
            if (i != 1 || !IsDriveLetter(text[0]))
                return false;
        } else if (!IsSeparator(c) && !IsFileNameCharacter(c)) {
            return false;
        }
    }
    return true;
}

// The host's error for a path, cut down to the two cases a caller can tell apart on Windows.
DWORD ErrorOfParent(int error) {
    return error == ENAMETOOLONG ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND;
}

} // namespace

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
    case ENOTEMPTY:
        return ERROR_FILE_EXISTS;
    case ENAMETOOLONG:
        return ERROR_INVALID_NAME;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return kErrorDiskFull;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE:
        return kErrorTooManyOpenFiles;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EXDEV:
        return kErrorNotSameDevice;
    default:
        return kErrorGenFailure;
    }
}

namespace {

int InfoFromStat(int result, const struct stat& st, const std::string& hostPath, EntryInfo& info) {
    info = EntryInfo{};
    if (result != 0)
        return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(st.st_mode)) {
        info.kind = EntryKind::Folder;
    } else {
        info.kind = EntryKind::File;
        info.readOnly = (st.st_mode & S_IWUSR) == 0;
        info.size = static_cast<std::uint64_t>(st.st_size);
    }
    info.marks = EntryMarks(hostPath);
    return 0;
}

} // namespace

int StatHostEntry(const std::string& hostPath, EntryInfo& info) {
    struct stat st;
    const int result = ::stat(hostPath.c_str(), &st);
    return InfoFromStat(result, st, hostPath, info);
}

int StatHostEntryAt(int folder, const char* name, const std::string& hostPath, EntryInfo& info) {
    struct stat st;
    const int result = ::fstatat(folder, name, &st, 0);
    return InfoFromStat(result, st, hostPath, info);
}

DWORD AttributesOf(const EntryInfo& info) {
    const DWORD set = info.marks & ~kMarksSet;
    if (info.kind == EntryKind::Folder)
        return FILE_ATTRIBUTE_DIRECTORY | set;
    const DWORD readOnly = info.readOnly ? FILE_ATTRIBUTE_READONLY : 0;
    // A file keeps the archive bit until SetFileAttributesA decides its attributes.
    if ((info.marks & kMarksSet) == 0)
        return FILE_ATTRIBUTE_ARCHIVE | readOnly;
    const DWORD attributes = set | readOnly;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

bool IsDeviceName(std::string_view name) {
    return name.size() >= 4 && IsSeparator(name[0]) && IsSeparator(name[1]) && name[2] == '.' &&
           IsSeparator(name[3]);
}

std::string ResolvedPath::HostParent() const {
    return host.substr(0, host.rfind('/'));
}

std::string ResolvedPath::LastName() const {
    return full.substr(full.rfind('\\') + 1);
}

namespace {

// The checks of a name that need no look at the host; false with `path.error` set when the name
// cannot name anything, else `path.full` and `path.namesFolder` are set.
bool NormalizeName(const char* name, ResolvedPath& path) {
    const std::string_view text = name == nullptr ? std::string_view() : std::string_view(name);
    if (text.empty()) {
        path.error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    // Network and device namespaces ("\\server\share", "\\.\Name", "\\?\") hold no drive files.
    if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
        path.error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    if (!IsValidPathText(text)) {
        path.error = ERROR_INVALID_NAME;
        return false;
    }
    path.namesFolder = IsSeparator(text.back());
    path.full = win32sim::FullPathName(text);
    return true;
}

int OpenHostFolder(const std::string& hostPath) {
    return ::open(hostPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

ResolvedPath ResolvePath(const char* name) {
    ResolvedPath path;
    if (!NormalizeName(name, path))
        return path;
    struct stat last;
    bool found = false;
    path.host = HostPathOfFull(path.full, last, found);
    if (path.host.empty()) { // the drive is not mapped
        path.error = ERROR_PATH_NOT_FOUND;
        return path;
    }

    const bool isRoot = path.full.size() == 3;
    // The resolution looked at the entry already when it found every component.
    const int error =
        found ? InfoFromStat(0, last, path.host, path.entry) : StatHostEntry(path.host, path.entry);
    // An entry that is there has a folder above it: only a failed look needs the parent's.
    if (!isRoot && (error != 0 || path.Missing())) {
        EntryInfo parent;
        const int parentError = StatHostEntry(path.HostParent(), parent);
        if (parentError != 0 || parent.kind != EntryKind::Folder) {
            path.entry = EntryInfo{};
            path.error = ErrorOfParent(parentError);
            return path;
        }
    }
    if (error != 0)
        path.error = ErrorFromErrno(error);
    else if (isRoot && !path.IsFolder()) // a drive mapped onto a folder that is gone
        path.error = ERROR_PATH_NOT_FOUND;
    else if (path.namesFolder && path.IsFile())
        path.error = ERROR_INVALID_NAME;
    return path;
}

int OpenFolder(const char* name, ResolvedPath& path) {
    path = ResolvedPath{};
    // A folder spelled as the host spells it opens at once: the resolution would find just it.
    if (NormalizeName(name, path)) {
        path.host = ExactHostPath(path.full);
        if (!path.host.empty()) {
            const int descriptor = OpenHostFolder(path.host);
            if (descriptor >= 0) {
                path.entry.kind = EntryKind::Folder;
                return descriptor;
            }
        }
    }
    path = ResolvePath(name);
    if (path.Failed() || !path.IsFolder())
        return -1;
    const int descriptor = OpenHostFolder(path.host);
    if (descriptor < 0)
        path.error = ErrorFromErrno(errno);
    return descriptor;
}

} // namespace win32sim::detail
