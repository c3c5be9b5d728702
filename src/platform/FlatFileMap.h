#pragma once

#include "platform/MemoryFile.h"

// One entry of a mounted pack, opened through the pack locator
// "@index:offset,size" and read from the pack's mapped view. The mapping
// belongs to the pack list. Writes are accepted as an open mode but write
// nothing.
class TFlatFileMap : public TFileData {
public:
    TFlatFileMap() = default;
    ~TFlatFileMap() override = default;

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
