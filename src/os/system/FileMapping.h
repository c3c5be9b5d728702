#pragma once

#include <cstdint>
#include <string>

// Read-only memory mapping of one whole regular file.
class OsFileMapping {
public:
    OsFileMapping() = default;
    ~OsFileMapping() { Close(); }
    OsFileMapping(const OsFileMapping&) = delete;
    OsFileMapping& operator=(const OsFileMapping&) = delete;

    // Maps the file at `path`. Fails (false, nothing open) when the file is
    // missing, not a regular file, empty, or cannot be mapped.
    bool Open(const std::string& path);
    void Close();

    bool IsOpen() const { return mData != nullptr; }
    const uint8_t* Data() const { return mData; }
    uint64_t Size() const { return mSize; }

private:
    const uint8_t* mData = nullptr;
    uint64_t mSize = 0;
};
