// Reading a whole file through the system's file functions, with the toolkit's errors.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace toolkit_detail {

// Closes a file handle on every way out.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (Valid())
            CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

// ReadFile and WriteFile move at most this much per call.
constexpr std::size_t kChunk = 1u << 20;

// A missing or unopenable file throws EFOpenError "Cannot open file \"path\"", a failed read
// EReadError, no memory EOutOfMemory.
std::string ReadFileBytes(const std::string& windowsPath);

} // namespace toolkit_detail
