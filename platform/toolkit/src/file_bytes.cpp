// Reading a whole file through the system's file functions, with the toolkit's errors.
#include "file_bytes.h"

#include "toolkit/exceptions.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <stdexcept>

namespace toolkit_detail {
std::string ReadFileBytes(const std::string& windowsPath) {
    FileHandle file(CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        throw EFOpenError("Cannot open file \"" + windowsPath + "\"");
    DWORD sizeHigh = 0;
    const DWORD sizeLow = GetFileSize(file.Get(), &sizeHigh);
    if (sizeLow == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        throw EReadError("Stream read error");
    if (sizeHigh != 0)
        throw EOutOfMemory("Out of memory");
    std::string text;
    try {
        text.resize(sizeLow);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory");
    } catch (const std::length_error&) {
        throw EOutOfMemory("Out of memory");
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const std::size_t want = std::min(kChunk, text.size() - done);
        DWORD got = 0;
        if (!ReadFile(file.Get(), text.data() + done, static_cast<DWORD>(want), &got, nullptr) ||
            got == 0)
            throw EReadError("Stream read error");
        done += got;
    }
    return text;
}

} // namespace toolkit_detail
