// Directory search: FindFirstFileA, FindNextFileA and FindClose over a snapshot of one folder.
#include "handle_table.h"
#include "host_files.h"

#include "cp1251.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace win32sim::detail {
namespace {

// The entries of a search: their names one after another, each with its NUL, and per entry
// where its name begins and what it is. Sorting moves no names.
struct Snapshot {
    struct Entry {
        std::size_t name;
        std::size_t length;
        EntryInfo info;
    };
    std::string names;
    std::vector<Entry> entries;

    void Add(std::string_view name, const EntryInfo& info) {
        entries.push_back({names.size(), name.size(), info});
        names += name;
        names += '\0';
    }
    std::string_view Name(const Entry& entry) const {
        return std::string_view(names).substr(entry.name, entry.length);
    }
};

// A search: the matching entries as they were when it began, in order. A search serves one
// thread at a time.
class FindObject final : public KernelObject {
public:
    explicit FindObject(Snapshot snapshot) : snapshot_(std::move(snapshot)) {}
    bool ClosableByCloseHandle() const override { return false; }

    // Describes the next entry; false after the last.
    bool Next(WIN32_FIND_DATAA& data);

private:
    Snapshot snapshot_;
    std::size_t next_ = 0;
};

// The last component of a search, matched as Windows matches it, with the rules of DOS: a '*'
// before a dot cannot reach past the name's last dot; '?' matches one character, or nothing at
// a dot or the end of the name; a dot before a wildcard or at the end of the pattern also
// matches the end of the name. So "*" and "*.*" match every name, "name.*" matches "name",
// "*." the names without a dot. Letters compare without regard to case.
class SearchPattern {
public:
    explicit SearchPattern(std::string_view pattern) {
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            const char c = pattern[i];
            const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
            if (c == '*')
                tokens_.push_back({next == '.' ? Kind::DosStar : Kind::Star, c});
            else if (c == '?')
                tokens_.push_back({Kind::DosQuestion, c});
            else if (c == '.' && (next == '\0' || next == '*' || next == '?'))
                tokens_.push_back({Kind::DosDot, c});
            else
                tokens_.push_back({Kind::Literal, cp1251::ToLower(c)});
        }
        matchesAll_ = pattern == "*" || pattern == "*.*";
    }

    bool Matches(std::string_view name) const {
        if (matchesAll_)
            return true;
        Attempt attempt{tokens_, name, name.rfind('.'),
                        std::vector<signed char>((tokens_.size() + 1) * (name.size() + 1), -1)};
        return attempt.From(0, 0);
    }

private:
    enum class Kind { Literal, Star, DosStar, DosQuestion, DosDot };
    struct Token {
        Kind kind;
        char c;
    };

    // One name against the tokens, remembering which (token, position) pairs were decided.
    struct Attempt {
        const std::vector<Token>& tokens;
        std::string_view name;
        std::size_t lastDot;
        std::vector<signed char> decided; // -1 not yet, else 0 or 1

        // Whether tokens [k..] match the name from position i on.
        bool From(std::size_t k, std::size_t i) {
            signed char& known = decided[k * (name.size() + 1) + i];
            if (known < 0)
                known = Step(k, i) ? 1 : 0;
            return known == 1;
        }

        bool Step(std::size_t k, std::size_t i) {
            const bool atEnd = i == name.size();
            if (k == tokens.size())
                return atEnd;
            switch (tokens[k].kind) {
            case Kind::Literal:
                return !atEnd && cp1251::ToLower(name[i]) == tokens[k].c && From(k + 1, i + 1);
            case Kind::Star:
                return From(k + 1, i) || (!atEnd && From(k, i + 1));
            case Kind::DosStar:
                return From(k + 1, i) || (!atEnd && i != lastDot && From(k, i + 1));
            case Kind::DosQuestion:
                if (!atEnd && name[i] != '.')
                    return From(k + 1, i + 1);
                while (k < tokens.size() && tokens[k].kind == Kind::DosQuestion)
                    ++k;
                return From(k, i);
            case Kind::DosDot:
                return atEnd ? From(k + 1, i) : name[i] == '.' && From(k + 1, i + 1);
            }
            return false;
        }
    };

    std::vector<Token> tokens_;
    bool matchesAll_ = false; // the walk's usual patterns, decided without trying each name
};

// Whether a host name can be given to a Windows program at all.
bool IsReportableName(std::string_view name) {
    return name.size() <= MAX_PATH - 1 &&
           std::all_of(name.begin(), name.end(), IsFileNameCharacter);
}

// The entries of the open folder that match, sorted by name as Windows' file system orders them;
// "." and ".." first in a folder below a drive's root. Takes and closes the descriptor.
void TakeSnapshot(int descriptor, const ResolvedPath& folder, const SearchPattern& pattern,
                  Snapshot& found) {
    const bool isRoot = folder.full.size() == 3;
    if (!isRoot) {
        const EntryInfo folderInfo{EntryKind::Folder, false, 0};
        for (const char* relative : {".", ".."})
            if (pattern.Matches(relative))
                found.Add(relative, folderInfo);
    }
    const std::size_t dots = found.entries.size();
    std::string hostPath = folder.host + "/";
    const std::size_t folderLength = hostPath.size();
    // The host's entries read straight into a buffer: a directory stream would first look at
    // the descriptor again, three calls more per folder. A read that fails ends the entries, as
    // the end of the folder does.
    alignas(dirent64) char buffer[32 * 1024];
    for (;;) {
        const ssize_t got = ::getdents64(descriptor, buffer, sizeof buffer);
        if (got <= 0)
            break;
        // A host record takes at least 24 bytes and holds more than its name.
        found.entries.reserve(found.entries.size() + static_cast<std::size_t>(got) / 24);
        found.names.reserve(found.names.size() + static_cast<std::size_t>(got));
        for (ssize_t at = 0; at < got;) {
            const auto* item = reinterpret_cast<const dirent64*>(buffer + at);
            at += item->d_reclen;
            const std::string_view name = item->d_name;
            if (name == "." || name == ".." || !IsReportableName(name) || !pattern.Matches(name))
                continue;
            hostPath.resize(folderLength);
            hostPath += name;
            EntryInfo info;
            // A folder needs no look of its own: it has neither size nor read-only mark.
            if (item->d_type == DT_DIR) {
                info.kind = EntryKind::Folder;
                info.marks = EntryMarks(hostPath);
            } else if (StatHostEntryAt(descriptor, item->d_name, hostPath, info) != 0 ||
                       info.kind == EntryKind::Missing) {
                continue; // an entry that vanished or cannot be examined is not reported
            }
            found.Add(name, info);
        }
    }
    ::close(descriptor);
    std::sort(found.entries.begin() + static_cast<std::ptrdiff_t>(dots), found.entries.end(),
              [&found](const Snapshot::Entry& a, const Snapshot::Entry& b) {
                  const std::string_view x = found.Name(a);
                  const std::string_view y = found.Name(b);
                  const int order = cp1251::CompareNoCase(x, y);
                  return order != 0 ? order < 0 : x < y;
              });
}

bool FindObject::Next(WIN32_FIND_DATAA& data) {
    if (next_ == snapshot_.entries.size())
        return false;
    const Snapshot::Entry& entry = snapshot_.entries[next_++];
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = AttributesOf(entry.info);
    data.nFileSizeHigh = static_cast<DWORD>(entry.info.size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(entry.info.size);
    std::memcpy(data.cFileName, snapshot_.names.data() + entry.name, entry.length + 1);
    return true;
}

HANDLE FailSearch(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

} // namespace
} // namespace win32sim::detail

using namespace win32sim::detail;

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    if (lpFindFileData == nullptr)
        return FailSearch(ERROR_INVALID_PARAMETER);
    std::string text = lpFileName == nullptr ? std::string() : std::string(lpFileName);
    std::replace(text.begin(), text.end(), '/', '\\');

    // The folder is everything before the last component, which is the pattern.
    std::size_t cut = text.rfind('\\');
    if (cut == std::string::npos && text.size() >= 2 && text[1] == ':')
        cut = 1;
    const std::string folderName = cut == std::string::npos ? "." : text.substr(0, cut + 1);
    const std::string patternText = cut == std::string::npos ? text : text.substr(cut + 1);
    const bool patternValid = std::all_of(patternText.begin(), patternText.end(), [](char c) {
        return c == '*' || c == '?' || IsFileNameCharacter(c);
    });
    if (!patternValid)
        return FailSearch(ERROR_INVALID_NAME);

    ResolvedPath folder;
    const int descriptor = OpenFolder(folderName.c_str(), folder);
    if (descriptor < 0 && !folder.IsFolder())
        return FailSearch(folder.Failed() && !folder.IsFile() ? folder.error
                                                              : ERROR_PATH_NOT_FOUND);
    if (patternText.empty()) {
        if (descriptor >= 0)
            ::close(descriptor);
        return FailSearch(ERROR_FILE_NOT_FOUND);
    }
    if (descriptor < 0) // the folder is there but the host refuses to read it
        return FailSearch(folder.error);

    Snapshot found;
    TakeSnapshot(descriptor, folder, SearchPattern(patternText), found);
    if (found.entries.empty())
        return FailSearch(ERROR_FILE_NOT_FOUND);
    auto search = std::make_shared<FindObject>(std::move(found));
    search->Next(*lpFindFileData);
    return InsertHandle(std::move(search));
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    const auto search = LookupHandleAs<FindObject>(hFindFile);
    if (!search) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!search->Next(*lpFindFileData)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    if (!LookupHandleAs<FindObject>(hFindFile) || !RemoveHandle(hFindFile)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
