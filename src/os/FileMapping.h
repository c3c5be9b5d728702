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

    bool IsOpen() const { return m_data != nullptr; }
    const uint8_t* Data() const { return m_data; }
    uint64_t Size() const { return m_size; }

private:
    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
};
