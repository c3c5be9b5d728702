#include "platform/File.h"

#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/AssetNames.h"
#include "platform/DiskFileData.h"
#include "platform/FlatFileMap.h"
#include "platform/MemoryFile.h"

namespace {

// True when `path` is `folder` + "/" + something; `rest` then points past
// that slash.
bool PathInFolder(const char* path, const TString& folder, const char** rest)
{
    size_t n = strlen(folder.c_str());
    if (n == 0 || strncmp(path, folder.c_str(), n) != 0 || path[n] != '/')
        return false;
    *rest = path + n + 1;
    return true;
}

// Creates the folders on the way to a file under the user or common folder.
void CreateFoldersFor(const char* path)
{
    const char* rest = nullptr;
    if (!PathInFolder(path, GetUserFolder(), &rest) && !PathInFolder(path, GetCommonFolder(), &rest))
        return;
    std::string folder;
    for (const char* p = rest; *p != '\0'; ++p) {
        if (*p != '/')
            continue;
        folder.assign(path, static_cast<size_t>(p - path));
        if (folder.empty() || folder.back() == '/')
            continue;
        if (access(folder.c_str(), R_OK | W_OK) != 0)
            mkdir(folder.c_str(), 0777);
    }
}

} // namespace

bool TFileHandle::Open(const TString& name, int mode)
{
    Close();
    mode = NormalizeFileMode(mode);
    TString resolved = ResolveAssetPath(name, mode < kFileWriteBinary);
    const char* path = resolved.c_str();
    if (path == nullptr || path[0] == '\0')
        return false;

    if (path[0] == '@') {
        mData = std::make_unique<TFlatFileMap>();
    } else if (path[0] == '&') {
        mData = std::make_unique<TMemoryFile>();
    } else {
        if (IsFileWriteMode(mode))
            CreateFoldersFor(path);
        mData = std::make_unique<TDiskFileData>();
    }
    if (!mData->Open(path, mode)) {
        mData.reset();
        return false;
    }
    return true;
}

void TFileHandle::Close()
{
    mData.reset();
}

bool TFileHandle::Eof()
{
    return mData ? mData->Eof() : true;
}

void TFileHandle::Seek(int32_t offset, int origin)
{
    if (mData)
        mData->Seek(offset, origin);
}

uint32_t TFileHandle::GetSize()
{
    return mData ? mData->GetSize() : 0;
}

int32_t TFileHandle::Tell()
{
    return mData ? mData->Tell() : -1;
}

uint32_t TFileHandle::Read(void* buffer, uint32_t count)
{
    return mData ? mData->Read(buffer, count) : 0;
}

uint32_t TFileHandle::Write(const void* buffer, uint32_t count)
{
    return mData ? mData->Write(buffer, count) : 0;
}

void TFileHandle::Unget()
{
    if (mData)
        mData->Unget();
}

TFileHandle* OpenAssetFile(const TString& name, int mode)
{
    TFileHandle* file = new TFileHandle;
    if (!file->Open(name, mode)) {
        delete file;
        return nullptr;
    }
    return file;
}

void FileClose(TFileHandle* file)
{
    delete file;
}

uint32_t FileRead(TFileHandle* file, void* buffer, uint32_t count)
{
    return file ? file->Read(buffer, count) : 0;
}

uint32_t FileWrite(TFileHandle* file, const void* buffer, uint32_t count)
{
    return file ? file->Write(buffer, count) : 0;
}

void FileSeek(TFileHandle* file, int32_t offset, int origin)
{
    if (file)
        file->Seek(offset, origin);
}

int32_t FileTell(TFileHandle* file)
{
    return file ? file->Tell() : -1;
}

uint32_t FileGetSize(TFileHandle* file)
{
    return file ? file->GetSize() : 0;
}

bool FileEof(TFileHandle* file)
{
    return file ? file->Eof() : true;
}

void FileUngetc(TFileHandle* file)
{
    if (file)
        file->Unget();
}

bool FileNotOpen(TFileHandle* file)
{
    return file == nullptr || !file->IsOpen();
}

int FileGetc(TFileHandle* file)
{
    if (FileEof(file))
        return -1;
    uint8_t c = 0;
    if (file->Read(&c, 1) != 1)
        return -1;
    return c;
}

char* FileGets(TFileHandle* file, char* buffer, uint32_t size)
{
    if (buffer == nullptr || size == 0)
        return nullptr;
    if (FileNotOpen(file)) {
        buffer[0] = '\0';
        return nullptr;
    }
    uint32_t n = 0;
    bool shortRead = false;
    while (n + 1 < size) {
        uint8_t c = 0;
        if (FileRead(file, &c, 1) != 1) {
            shortRead = true;
            break;
        }
        buffer[n++] = static_cast<char>(c);
        if (c == '\n' || c == '\r')
            break;
    }
    buffer[n] = '\0';
    return shortRead ? nullptr : buffer + n;
}
