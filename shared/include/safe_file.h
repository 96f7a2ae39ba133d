// Replacing a file as a whole: the new contents go to a file beside it, which takes the
// target's place in one step only once every byte is written and on the disk, so that a full
// disk or a killed process leaves the target with exactly its old or its new contents.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <utility>

// The file beside the target that its new contents are written to. Never ".tmp": the settings
// dialog's commit takes every .tmp file of Bin for a pending user file.
inline std::string ReplacementPath(const std::string& target) {
    return target + ".new";
}

// Puts the file source in the place of target in one step, replacing a target that exists;
// false with both left as they were when that cannot be done.
inline bool ReplaceInOneStep(const std::string& source, const std::string& target) {
    return MoveFileExA(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// Writes the new contents of one file. Nothing reaches the target before Commit; a writer
// destroyed without a successful Commit removes what it wrote.
class TSafeFileWriter {
public:
    explicit TSafeFileWriter(std::string target)
        : target_(std::move(target)), replacement_(ReplacementPath(target_)) {
        // A folder or a read-only file would refuse the replacement at the end: nothing is
        // written for it.
        const DWORD attributes = GetFileAttributesA(target_.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return;
        }
        const HANDLE h = CreateFileA(replacement_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            file_ = h;
    }
    ~TSafeFileWriter() { Abandon(); }
    TSafeFileWriter(const TSafeFileWriter&) = delete;
    TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

    bool IsOpen() const { return file_ != nullptr; }

    // False when the writer is not open or any write so far fell short.
    bool Write(const void* data, std::size_t size) {
        if (!file_ || failed_)
            return false;
        const auto* p = static_cast<const char*>(data);
        while (size > 0) {
            // WriteFile takes at most a DWORD per call.
            const DWORD want = static_cast<DWORD>(size < 0x40000000u ? size : 0x40000000u);
            DWORD put = 0;
            if (!WriteFile(file_, p, want, &put, nullptr) || put != want) {
                failed_ = true;
                return false;
            }
            p += put;
            size -= put;
        }
        return true;
    }

    // Flushes and closes the new file and puts it in the target's place. False when any write,
    // the flush, the close or the replacement failed: the target then keeps its earlier
    // contents and the new file is removed.
    bool Commit() {
        if (!file_)
            return false;
        bool whole = !failed_ && FlushFileBuffers(file_) != 0;
        whole = CloseHandle(file_) != 0 && whole;
        file_ = nullptr;
        if (whole && ReplaceInOneStep(replacement_, target_))
            return true;
        DeleteFileA(replacement_.c_str());
        return false;
    }

    // Drops what was written; the target is not touched.
    void Abandon() {
        if (!file_)
            return;
        CloseHandle(file_);
        file_ = nullptr;
        DeleteFileA(replacement_.c_str());
    }

private:
    std::string target_;
    std::string replacement_;
    HANDLE file_ = nullptr;
    bool failed_ = false;
};

// Replaces the file's contents by the bytes; false with the file as it was when that fails.
inline bool SaveFileSafely(const std::string& target, const std::string& bytes) {
    TSafeFileWriter writer(target);
    return writer.Write(bytes.data(), bytes.size()) && writer.Commit();
}
