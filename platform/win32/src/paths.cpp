// Drive mapping and the resolution of Windows paths onto host paths.
#include "file_system.h"
#include "sim_state.h"
#include "win32sim/machine.h"

#include "cp1251.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <vector>

namespace win32sim::detail {
namespace {

std::mutex pathLock;
std::array<std::string, 26> driveRoots;
std::string currentDirectory = "C:\\";

char DriveLetter(char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    return c;
}

bool IsDriveLetter(char c) {
    const char u = DriveLetter(c);
    return u >= 'A' && u <= 'Z';
}

// Windows trims the components of a path it is given: the last one loses its trailing dots and
// blanks ("name. ." is "name"), one before it a single trailing dot ("a.\b" is "a\b", "a..\b"
// stays). Neither can leave "." or "..", so no component ever climbs above the drive's folder.
// The last component is trimmed also before a final separator (which the normal form drops) so
// that the normal form of a normal form is itself.
std::string TrimComponent(std::string part, bool last) {
    if (last) {
        while (!part.empty() && (part.back() == '.' || part.back() == ' '))
            part.pop_back();
    } else if (part.size() >= 2 && part.back() == '.' && part[part.size() - 2] != '.') {
        part.pop_back();
    }
    return part;
}

// The components of a path text, without empty ones.
std::vector<std::string> SplitComponents(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\\', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool HostExists(const std::string& path, struct stat& st) {
    return ::stat(path.c_str(), &st) == 0;
}

// The entry of a host directory whose name matches `name` without regard to case, and whether
// it exists (with the host's look at it in `st`); the exact spelling is tried first so that most
// components cost one look.
std::string MatchEntry(const std::string& directory, const std::string& name, struct stat& st,
                       bool& exists) {
    exists = HostExists(directory + "/" + name, st);
    if (exists)
        return name;
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr)
        return name;
    std::string found = name;
    while (const dirent* entry = ::readdir(dir)) {
        if (SameFileName(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    if (found != name)
        exists = HostExists(directory + "/" + found, st);
    return found;
}

} // namespace

std::string CurrentDirectory() {
    std::lock_guard lock(pathLock);
    return currentDirectory;
}

void SetCurrentDirectoryPath(const std::string& fullPath) {
    std::lock_guard lock(pathLock);
    currentDirectory = fullPath;
}

std::string DriveRoot(char letter) {
    if (!IsDriveLetter(letter))
        return {};
    std::lock_guard lock(pathLock);
    return driveRoots[DriveLetter(letter) - 'A'];
}

bool SameFileName(std::string_view a, std::string_view b) {
    return cp1251::EqualNoCase(a, b);
}

void ResetFiles() {
    {
        std::lock_guard lock(pathLock);
        for (auto& root : driveRoots)
            root.clear();
        currentDirectory = "C:\\";
    }
    ResetProgramPath();
    ResetEntryMarks();
}

} // namespace win32sim::detail

namespace win32sim::detail {
namespace {

// Whether an absolute path is in normal form already but for its drive letter's case and one
// final separator: no "." or "..", no empty component, none that trimming would shorten. Such
// paths (every path the system forms from a directory search) need no splitting.
bool IsNormalAsGiven(std::string_view path) {
    if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\')
        return false;
    std::size_t start = 3;
    while (start < path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        else if (end + 1 == path.size() && end > start) // one final separator
            return path[end - 1] != '.' && path[end - 1] != ' ';
        if (end == start || path[end - 1] == '.' || path[end - 1] == ' ')
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace
} // namespace win32sim::detail

namespace win32sim {

void MapDrive(char letter, const std::string& hostDirectory) {
    using namespace detail;
    if (!IsDriveLetter(letter))
        return;
    std::string root = hostDirectory;
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    std::lock_guard lock(pathLock);
    driveRoots[DriveLetter(letter) - 'A'] = root;
}

void UnmapDrives() {
    std::lock_guard lock(detail::pathLock);
    for (auto& root : detail::driveRoots)
        root.clear();
}

std::string FullPathName(std::string_view windowsPath) {
    using namespace detail;
    std::string path(windowsPath);
    for (char& c : path)
        if (c == '/')
            c = '\\';
    // Device and network names ("\\.\Name", "\\server\share") are not file-system paths here.
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\')
        return path;
    if (IsNormalAsGiven(path)) {
        path[0] = DriveLetter(path[0]);
        if (path.size() > 3 && path.back() == '\\')
            path.pop_back();
        return path;
    }

    const std::string current = CurrentDirectory();
    std::string base; // absolute, "X:\..."
    std::string rest;
    if (path.size() >= 2 && path[1] == ':' && IsDriveLetter(path[0])) {
        const char drive = DriveLetter(path[0]);
        rest = path.substr(2);
        if (!rest.empty() && rest[0] == '\\')
            base = std::string(1, drive) + ":\\";
        else if (DriveLetter(current[0]) == drive)
            base = current;
        else
            base = std::string(1, drive) + ":\\";
    } else if (!path.empty() && path[0] == '\\') {
        base = current.substr(0, 3);
        rest = path;
    } else {
        base = current;
        rest = path;
    }

    // The base is in normal form already; the given components first climb ("." and ".."), as
    // Windows evaluates them, and are trimmed afterwards. ".." at the root stays at the root.
    struct Component {
        std::string name;
        bool given;
    };
    std::vector<Component> parts;
    for (std::string& name : SplitComponents(base.substr(3)))
        parts.push_back({std::move(name), false});
    for (std::string& name : SplitComponents(rest)) {
        if (name == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (name != ".") {
            parts.push_back({std::move(name), true});
        }
    }
    for (Component& part : parts)
        if (part.given)
            part.name = TrimComponent(std::move(part.name), false);
    // A last component trimmed away ("...") leaves the one before it last.
    while (!parts.empty() && parts.back().given) {
        parts.back().name = TrimComponent(std::move(parts.back().name), true);
        if (!parts.back().name.empty())
            break;
        parts.pop_back();
    }

    std::string full = base.substr(0, 2) + "\\";
    full[0] = DriveLetter(full[0]);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            full += '\\';
        full += parts[i].name;
    }
    return full;
}

std::string HostPath(std::string_view windowsPath) {
    struct stat last;
    bool found = false;
    return detail::HostPathOfFull(FullPathName(windowsPath), last, found);
}

} // namespace win32sim

namespace win32sim::detail {

std::string ExactHostPath(const std::string& full) {
    if (full.size() < 3 || full[1] != ':')
        return {};
    std::string host = DriveRoot(full[0]);
    if (host.empty() || full.size() == 3)
        return host;
    const std::size_t rootLength = host.size();
    host += '/';
    host.append(full, 3);
    std::replace(host.begin() + static_cast<std::ptrdiff_t>(rootLength), host.end(), '\\', '/');
    return host;
}

std::string HostPathOfFull(const std::string& full, struct stat& last, bool& found) {
    found = false;
    if (full.size() < 3 || full[1] != ':')
        return {};
    std::string host = DriveRoot(full[0]);
    if (host.empty())
        return {};
    // A path spelled as the host spells it (every path a directory search reports) is found by
    // one look at the whole of it: each component then matched exactly, as the match below would
    // have found it first.
    if (full.size() > 3) {
        std::string exact = ExactHostPath(full);
        if (::stat(exact.c_str(), &last) == 0) {
            found = true;
            return exact;
        }
    }
    std::size_t start = 3;
    bool matching = true; // once a component is missing, the rest cannot exist either
    while (start < full.size()) {
        std::size_t end = full.find('\\', start);
        if (end == std::string::npos)
            end = full.size();
        const std::string name = full.substr(start, end - start);
        bool exists = false;
        const std::string entry = matching ? MatchEntry(host, name, last, exists) : name;
        host += "/" + entry;
        matching = matching && exists;
        start = end + 1;
    }
    // The root of a drive was not looked at here.
    found = matching && full.size() > 3;
    return host;
}

} // namespace win32sim::detail
