// Reading and writing record files through the Win32 file functions.
#include "record_file.h"

#include "program_folder.h"

#include <windows.h>

namespace {

// ReadFile and WriteFile take at most a DWORD per call.
constexpr std::size_t kMaxChunk = 0x40000000;

bool ReadExact(HANDLE file, void* data, std::size_t size) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const DWORD want = static_cast<DWORD>(size < kMaxChunk ? size : kMaxChunk);
        DWORD got = 0;
        if (!ReadFile(file, p, want, &got, nullptr) || got == 0)
            return false;
        p += got;
        size -= got;
    }
    return true;
}

} // namespace

TRecordFileReader::TRecordFileReader(const std::string& windowsPath, std::size_t recordSize)
    : recordSize_(recordSize) {
    HANDLE h = CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD high = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD low = GetFileSize(h, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
        CloseHandle(h);
        return;
    }
    file_ = h;
    const std::uint64_t length = (static_cast<std::uint64_t>(high) << 32) | low;
    count_ = length / recordSize_;
}

TRecordFileReader::~TRecordFileReader() {
    if (file_)
        CloseHandle(file_);
}

bool TRecordFileReader::ReadNext(void* record) {
    if (!file_ || position_ >= count_)
        return false;
    if (!ReadExact(file_, record, recordSize_)) {
        // The file is not what its length said; it ends here.
        count_ = position_;
        return false;
    }
    ++position_;
    return true;
}

bool TRecordFileReader::Seek(std::uint64_t index) {
    if (!file_ || index > count_)
        return false;
    const std::uint64_t offset = index * recordSize_;
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(ERROR_SUCCESS);
    const DWORD low =
        SetFilePointer(file_, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
        return false;
    position_ = index;
    return true;
}

std::string BinPath(const std::string& fileName) {
    return ProgramFolder() + "Bin\\" + fileName;
}
