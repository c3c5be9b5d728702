#pragma once

#include <cstdint>

// Open modes shared by every file source.
enum : int {
    kFileReadBinary = 0,
    kFileReadText = 1,   // also any value not listed here
    kFileWriteBinary = 2,
    kFileWriteText = 3,
    kFileAppendBinary = 4,
    kFileAppendText = 5,
};

// Seek origins. Note the order: these are not the C runtime's SEEK_* values.
enum : int {
    kSeekCurrent = 0,
    kSeekStart = 1,
    kSeekEnd = 2,
};

// Maps an unknown mode to text read, so every source agrees on it.
inline int NormalizeFileMode(int mode)
{
    return (mode >= kFileReadBinary && mode <= kFileAppendText) ? mode : kFileReadText;
}

inline bool IsFileWriteMode(int mode)
{
    return NormalizeFileMode(mode) >= kFileWriteBinary;
}

// One open file: on disk, in a pack or in a memory buffer.
class TFileData {
public:
    TFileData() = default;
    TFileData(const TFileData&) = delete;
    TFileData& operator=(const TFileData&) = delete;
    virtual ~TFileData() = default;

    // `name` is a disk path or a locator, as resolved from an asset name.
    virtual bool Open(const char* name, int mode) = 0;
    virtual void Close() = 0;
    // Steps back over the last byte read.
    virtual void Unget() = 0;
    virtual void Seek(int32_t offset, int origin) = 0;
    virtual uint32_t GetSize() = 0;
    virtual int32_t Tell() = 0;
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
    virtual bool Eof() = 0;
};
