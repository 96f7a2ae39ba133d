// Reading and writing record files: whole fixed-size records, no header, to the end of the file.
#pragma once

#include "records.h"
#include "safe_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads whole records in file order; a record cut short by the end of the file is never read.
// A file that does not exist or cannot be opened reads as missing.
class TRecordFileReader {
public:
    TRecordFileReader(const std::string& windowsPath, std::size_t recordSize);
    ~TRecordFileReader();
    TRecordFileReader(const TRecordFileReader&) = delete;
    TRecordFileReader& operator=(const TRecordFileReader&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // Whole records by the file's length.
    std::uint64_t Count() const { return count_; }
    // Index of the record the next read gives.
    std::uint64_t Position() const { return position_; }
    // Reads the next record; false at the end of the whole records or when the read fails.
    bool ReadNext(void* record);
    // Makes the record at index the next to read; false (position unchanged) when it is not
    // a whole record of the file.
    bool Seek(std::uint64_t index);

private:
    void* file_ = nullptr;
    std::size_t recordSize_;
    std::uint64_t count_ = 0;
    std::uint64_t position_ = 0;
};

// The reader for one record type; every record it gives has NUL-terminated text fields.
template <class T>
class TRecordReader : public TRecordFileReader {
public:
    explicit TRecordReader(const std::string& windowsPath)
        : TRecordFileReader(windowsPath, sizeof(T)) {}
    bool Read(T& record) {
        if (!ReadNext(&record))
            return false;
        TerminateFields(record);
        return true;
    }
};

// Writes a record file anew. The records go to a file beside it, which replaces the file only
// when Close succeeds: a failure at any point leaves the earlier file as it was.
class TRecordFileWriter {
public:
    explicit TRecordFileWriter(const std::string& windowsPath) : file_(windowsPath) {}
    TRecordFileWriter(const TRecordFileWriter&) = delete;
    TRecordFileWriter& operator=(const TRecordFileWriter&) = delete;

    bool IsOpen() const { return file_.IsOpen(); }
    // False when the file is not open or fewer bytes were written.
    bool Write(const void* data, std::size_t size) { return file_.Write(data, size); }
    // Puts the records in the file's place; false when it never opened, a write, the flush,
    // the close or the replacement failed.
    bool Close() { return file_.Commit(); }

private:
    TSafeFileWriter file_;
};

// Writes all records; false when the file could not be created or written completely.
template <class T>
bool WriteRecords(TRecordFileWriter& writer, const std::vector<T>& records) {
    for (const T& r : records)
        if (!writer.Write(&r, sizeof r))
            return false;
    return true;
}

// The path of a file in the folder Bin of the program folder.
std::string BinPath(const std::string& fileName);
