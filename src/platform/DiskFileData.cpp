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

    m_file = fdopen(fd, streamMode);
    if (m_file == nullptr) {
        ::close(fd);
        return false;
    }
    m_text = (mode == kFileReadText);
    m_lastByte = -1;
    return true;
}

void TDiskFileData::Close()
{
    if (m_file != nullptr) {
        fclose(m_file);
        m_file = nullptr;
    }
    m_lastByte = -1;
}

void TDiskFileData::Unget()
{
    if (m_file != nullptr && m_lastByte != -1)
        ungetc(m_lastByte, m_file);
    m_lastByte = -1;
}

void TDiskFileData::Seek(int32_t offset, int origin)
{
    if (m_file == nullptr)
        return;
    int whence = SEEK_SET;
    if (origin == kSeekCurrent)
        whence = SEEK_CUR;
    else if (origin == kSeekEnd)
        whence = SEEK_END;
    fseek(m_file, offset, whence);
    // The stream forgets a pushed-back byte on a seek; so do we.
    m_lastByte = -1;
}

uint32_t TDiskFileData::GetSize()
{
    if (m_file == nullptr)
        return 0;
    long here = ftell(m_file);
    if (here < 0 || fseek(m_file, 0, SEEK_END) != 0)
        return 0;
    long size = ftell(m_file);
    fseek(m_file, here, SEEK_SET);
    if (size < 0)
        return 0;
    if (static_cast<unsigned long>(size) > UINT32_MAX)
        return UINT32_MAX;
    return static_cast<uint32_t>(size);
}

int32_t TDiskFileData::Tell()
{
    if (m_file == nullptr)
        return 0;
    long pos = ftell(m_file);
    if (pos > INT32_MAX)
        return INT32_MAX;
    return static_cast<int32_t>(pos);
}

uint32_t TDiskFileData::Read(void* buffer, uint32_t count)
{
    if (m_file == nullptr || buffer == nullptr || count == 0)
        return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint32_t stored = 0;
    if (!m_text) {
        stored = static_cast<uint32_t>(fread(out, 1, count, m_file));
    } else {
        // Read, squeeze out carriage returns, and top up until the request
        // is met or the stream runs dry.
        while (stored < count) {
            uint32_t want = count - stored;
            uint32_t got = static_cast<uint32_t>(fread(out + stored, 1, want, m_file));
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
        m_lastByte = out[stored - 1];
    return stored;
}

uint32_t TDiskFileData::Write(const void* buffer, uint32_t count)
{
    if (m_file == nullptr || buffer == nullptr || count == 0)
        return 0;
    return static_cast<uint32_t>(fwrite(buffer, 1, count, m_file));
}

bool TDiskFileData::Eof()
{
    if (m_file == nullptr)
        return true;
    return feof(m_file) != 0;
}
