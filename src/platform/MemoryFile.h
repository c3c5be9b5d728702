#pragma once

#include <cstdint>

#include "platform/FileData.h"

// Read-only cursor over bytes owned by someone else; the common part of
// memory files and pack entries.
struct TMemoryView {
    const uint8_t* base = nullptr;
    uint32_t position = 0;
    uint32_t size = 0;
    uint32_t mode = kFileReadBinary;

    // Text read mode drops carriage returns without counting them.
    uint32_t Read(void* buffer, uint32_t count);
    // Positions past the end (a negative one too) become the end.
    void Seek(int32_t offset, int origin);
    void Clear();
};

// Parses an unsigned decimal number of digits only, no sign or blanks, at
// most `max`. On success `*end` points past the digits.
bool ParseLocatorNumber(const char* text, uint64_t max, uint64_t* value, const char** end);

// A caller-owned buffer opened through the memory locator "&address,size".
// Read only; the buffer is never freed here.
class TMemoryFile : public TFileData {
public:
    TMemoryFile() = default;
    ~TMemoryFile() override = default;

    bool Open(const char* locator, int mode) override;
    void Close() override;
    void Unget() override;
    void Seek(int32_t offset, int origin) override;
    uint32_t GetSize() override;
    int32_t Tell() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;
    bool Eof() override;

private:
    TMemoryView mView;
};
