#pragma once

#include <cstdint>
#include <memory>

#include "platform/FileData.h"
#include "platform/TString.h"

// Holds the one open file of a handle, or nothing. Every operation on an
// empty handle returns a fixed default, so callers only test the open.
class TFileHandle {
public:
    TFileHandle() = default;
    ~TFileHandle() = default;
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    // Opens an asset name (see AssetNames.h) in one of the modes of
    // FileData.h. Closes what was open before; on failure the handle is empty.
    bool Open(const TString& name, int mode);
    void Close();
    bool IsOpen() const { return mData != nullptr; }

    bool Eof();                                      // true when empty
    void Seek(int32_t offset, int origin);           // origins of FileData.h
    uint32_t GetSize();                              // 0 when empty
    int32_t Tell();                                  // -1 when empty
    uint32_t Read(void* buffer, uint32_t count);     // 0 when empty
    uint32_t Write(const void* buffer, uint32_t count);
    void Unget();

private:
    std::unique_ptr<TFileData> mData;
};

// Null when the name does not open.
TFileHandle* OpenAssetFile(const TString& name, int mode);
// Null-safe.
void FileClose(TFileHandle* file);

// These accept a null handle and then return the empty-handle defaults.
uint32_t FileRead(TFileHandle* file, void* buffer, uint32_t count);
uint32_t FileWrite(TFileHandle* file, const void* buffer, uint32_t count);
void FileSeek(TFileHandle* file, int32_t offset, int origin);
int32_t FileTell(TFileHandle* file);
uint32_t FileGetSize(TFileHandle* file);
bool FileEof(TFileHandle* file);
void FileUngetc(TFileHandle* file);
bool FileNotOpen(TFileHandle* file);

// The next byte as 0..255, or -1 at the end.
int FileGetc(TFileHandle* file);

// Reads one line into `buffer`, keeping its line end (LF or CR), at most
// size - 1 bytes, and terminates it. Returns the address of the terminating
// NUL, or null when the file ran out during this call: a last line without
// a line end is not returned.
char* FileGets(TFileHandle* file, char* buffer, uint32_t size);
