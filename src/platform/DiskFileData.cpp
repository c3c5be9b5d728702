#include "platform/DiskFileData.h"

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TDiskFileData::~TDiskFileData()
{
    Close();
}

bool TDiskFileData::Open(const char* name, int mode)
{
    Close();
    if (name == nullptr || name[0] == '\0')
        return false;

    mode = NormalizeFileMode(mode);
    int flags = O_CLOEXEC;
    const char* streamMode = "rb";
    switch (mode) {
    case kFileWriteBinary:
    case kFileWriteText:
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
        streamMode = "wb";
        break;
    case kFileAppendBinary:
    case kFileAppendText:
        flags |= O_WRONLY | O_CREAT | O_APPEND;
        streamMode = "ab";
        break;
    default:
        flags |= O_RDONLY;
        break;
    }

    // Non-blocking so that a FIFO cannot stall the open; only regular files
    // are accepted anyway.
    int fd = ::open(name, flags | O_NONBLOCK, 0666);
    if (fd < 0)
        return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    int fl = fcntl(fd, F_GETFL);
    if (fl != -1)
        fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);

    mFile = fdopen(fd, streamMode);
    if (mFile == nullptr) {
        ::close(fd);
        return false;
    }
    mText = (mode == kFileReadText);
    mLastByte = -1;
    return true;
}

void TDiskFileData::Close()
{
    if (mFile != nullptr) {
        fclose(mFile);
        mFile = nullptr;
    }
    mLastByte = -1;
}

void TDiskFileData::Unget()
{
    if (mFile != nullptr && mLastByte != -1)
        ungetc(mLastByte, mFile);
    mLastByte = -1;
}

void TDiskFileData::Seek(int32_t offset, int origin)
{
    if (mFile == nullptr)
        return;
    int whence = SEEK_SET;
    if (origin == kSeekCurrent)
        whence = SEEK_CUR;
    else if (origin == kSeekEnd)
        whence = SEEK_END;
    fseek(mFile, offset, whence);
    // The stream forgets a pushed-back byte on a seek; so do we.
    mLastByte = -1;
}

uint32_t TDiskFileData::GetSize()
{
    if (mFile == nullptr)
        return 0;
    long here = ftell(mFile);
    if (here < 0 || fseek(mFile, 0, SEEK_END) != 0)
        return 0;
    long size = ftell(mFile);
    fseek(mFile, here, SEEK_SET);
    if (size < 0)
        return 0;
    if (static_cast<unsigned long>(size) > UINT32_MAX)
        return UINT32_MAX;
    return static_cast<uint32_t>(size);
}

int32_t TDiskFileData::Tell()
{
    if (mFile == nullptr)
        return 0;
    long pos = ftell(mFile);
    if (pos > INT32_MAX)
        return INT32_MAX;
    return static_cast<int32_t>(pos);
}

uint32_t TDiskFileData::Read(void* buffer, uint32_t count)
{
    if (mFile == nullptr || buffer == nullptr || count == 0)
        return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint32_t stored = 0;
    if (!mText) {
        stored = static_cast<uint32_t>(fread(out, 1, count, mFile));
    } else {
        // Read, squeeze out carriage returns, and top up until the request
        // is met or the stream runs dry.
        while (stored < count) {
            uint32_t want = count - stored;
            uint32_t got = static_cast<uint32_t>(fread(out + stored, 1, want, mFile));
            uint32_t kept = 0;
            for (uint32_t i = 0; i < got; ++i) {
                uint8_t c = out[stored + i];
                if (c != '\r')
                    out[stored + kept++] = c;
            }
            stored += kept;
            if (got < want)
                break;
        }
    }
    if (stored > 0)
        mLastByte = out[stored - 1];
    return stored;
}

uint32_t TDiskFileData::Write(const void* buffer, uint32_t count)
{
    if (mFile == nullptr || buffer == nullptr || count == 0)
        return 0;
    return static_cast<uint32_t>(fwrite(buffer, 1, count, mFile));
}

bool TDiskFileData::Eof()
{
    if (mFile == nullptr)
        return true;
    return feof(mFile) != 0;
}
