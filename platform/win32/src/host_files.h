// Private to the host simulation: file names resolved onto host entries, host errors as Win32's.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace win32sim::detail {

// Error codes Windows reports here that the public header does not declare (yet).
inline constexpr DWORD kErrorTooManyOpenFiles = 4;
inline constexpr DWORD kErrorNotSameDevice = 17;
inline constexpr DWORD kErrorGenFailure = 31;
inline constexpr DWORD kErrorSharingViolation = 32;
inline constexpr DWORD kErrorDiskFull = 112;
inline constexpr DWORD kErrorDirectory = 267;

// The Windows error for a host errno, decided here once for every file call.
DWORD ErrorFromErrno(int error);

enum class EntryKind { Missing, File, Folder };

// One host entry as Windows sees it.
struct EntryInfo {
    EntryKind kind = EntryKind::Missing;
    bool readOnly = false; // the owner may not write it (root ignores the mode, Windows would not)
    std::uint64_t size = 0;
    DWORD marks = 0; // attributes the host cannot hold, kept by the machine (hidden, system ...)
};

// Fills `info` from the host; returns 0 (found, or missing with kind Missing) or the errno.
int StatHostEntry(const std::string& hostPath, EntryInfo& info);
// The same for the entry `name` of an open host folder, whose host path is `hostPath`: a folder
// walk examines its entries without resolving their whole paths again.
int StatHostEntryAt(int folder, const char* name, const std::string& hostPath, EntryInfo& info);

// FILE_ATTRIBUTE_* of an existing entry.
DWORD AttributesOf(const EntryInfo& info);

// The attributes set by SetFileAttributesA that the host entry cannot hold, by host path, with
// kMarksSet once the call decided them.
inline constexpr DWORD kMarksSet = 0x80000000UL;
DWORD EntryMarks(const std::string& hostPath);
void SetEntryMarks(const std::string& hostPath, DWORD marks);
// An entry deleted or moved takes its marks with it.
void ForgetEntryMarks(const std::string& hostPath);
void MoveEntryMarks(const std::string& fromHostPath, const std::string& toHostPath);
// How many of the bytes wanted a write may put before the simulated disk is full.
DWORD TakeWriteBudget(DWORD wanted);

// Whether a character may appear in a file name (wildcards and separators may not); a table,
// since every name of a directory search is checked a character at a time.
inline constexpr auto kFileNameCharacters = [] {
    std::array<bool, 256> allowed{};
    for (int c = 0x20; c < 256; ++c)
        allowed[static_cast<std::size_t>(c)] = true;
    for (const char c : {'<', '>', '"', '|', '?', '*', ':', '\\', '/'})
        allowed[static_cast<unsigned char>(c)] = false;
    return allowed;
}();

inline bool IsFileNameCharacter(char c) {
    return kFileNameCharacters[static_cast<unsigned char>(c)];
}

// "\\.\Name" (either separator): a device, not a file.
bool IsDeviceName(std::string_view name);

// A file name passed to a Win32 call, resolved once: either `error` says why it cannot name
// anything (ERROR_INVALID_NAME, ERROR_PATH_NOT_FOUND ...), or `entry` says what is there.
struct ResolvedPath {
    DWORD error = ERROR_SUCCESS;
    std::string full;         // the normalised Windows path ("C:\Tavrin RC\LANG\Rus.ini")
    std::string host;         // the host path, existing components matched without regard to case
    EntryInfo entry;          // the entry at `host`; kind Missing when there is none yet
    bool namesFolder = false; // the name ended in a separator: only a folder can answer to it

    bool Failed() const { return error != ERROR_SUCCESS; }
    bool Missing() const { return entry.kind == EntryKind::Missing; }
    bool IsFile() const { return entry.kind == EntryKind::File; }
    bool IsFolder() const { return entry.kind == EntryKind::Folder; }
    // The host path of the folder that holds (or would hold) the entry.
    std::string HostParent() const;
    // The entry's own name as the caller spelled it (the last component of `full`).
    std::string LastName() const;
};

// Resolves a name against the current directory. The folder that holds the entry must exist
// (else ERROR_PATH_NOT_FOUND); the entry itself may be missing. A name ending in a separator
// that finds a file fails with ERROR_INVALID_NAME.
ResolvedPath ResolvePath(const char* name);

// Opens the folder a name resolves to, to read its entries: the host descriptor, with `path`
// resolved as ResolvePath resolves it (the folder's marks aside); or -1 with `path` saying why
// not: its error, or an entry that is not a folder, or the errno of the host's refusal as
// `path.error`.
int OpenFolder(const char* name, ResolvedPath& path);

} // namespace win32sim::detail
