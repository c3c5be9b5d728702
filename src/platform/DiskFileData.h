#pragma once

#include <cstdio>

#include "platform/FileData.h"

// A regular file on disk, read and written through a C stream. Text read
// mode drops carriage returns; text write modes write bytes unchanged.
class TDiskFileData : public TFileData {
public:
    TDiskFileData() = default;
    ~TDiskFileData() override;

    bool Open(const char* name, int mode) override;
    void Close() override;
    void Unget() override;
    void Seek(int32_t offset, int origin) override;
    uint32_t GetSize() override;
    int32_t Tell() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;
    bool Eof() override;

private:
    FILE* mFile = nullptr;
    int mLastByte = -1;   // last byte read, for Unget; -1 when none
    bool mText = false;   // text read mode
};
