#include "platform/MemoryFile.h"

#include <cstring>

uint32_t TMemoryView::Read(void* buffer, uint32_t count)
{
    if (base == nullptr || buffer == nullptr || position >= size)
        return 0;
    uint32_t left = size - position;
    if (count > left)
        count = left;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    if (mode != kFileReadText) {
        memcpy(out, base + position, count);
        position += count;
        return count;
    }
    uint32_t stored = 0;
    while (stored < count && position < size) {
        uint8_t c = base[position++];
        if (c != '\r')
            out[stored++] = c;
    }
    return stored;
}

void TMemoryView::Seek(int32_t offset, int origin)
{
    switch (origin) {
    case kSeekCurrent:
        position += static_cast<uint32_t>(offset);
        break;
    case kSeekStart:
        position = static_cast<uint32_t>(offset);
        break;
    case kSeekEnd:
        position = size + static_cast<uint32_t>(offset);
        break;
    default:
        break;
    }
    if (position > size)
        position = size;
}

void TMemoryView::Clear()
{
    base = nullptr;
    position = 0;
    size = 0;
}

bool ParseLocatorNumber(const char* text, uint64_t max, uint64_t* value, const char** end)
{
    if (text == nullptr || *text < '0' || *text > '9')
        return false;
    uint64_t v = 0;
    const char* p = text;
    while (*p >= '0' && *p <= '9') {
        uint64_t digit = static_cast<uint64_t>(*p - '0');
        if (v > (max - digit) / 10)
            return false;
        v = v * 10 + digit;
        ++p;
    }
    *value = v;
    *end = p;
    return true;
}

bool TMemoryFile::Open(const char* locator, int mode)
{
    Close();
    mode = NormalizeFileMode(mode);
    if (locator == nullptr || locator[0] != '&' || IsFileWriteMode(mode))
        return false;

    uint64_t address = 0;
    uint64_t size = 0;
    const char* p = nullptr;
    if (!ParseLocatorNumber(locator + 1, UINTPTR_MAX, &address, &p) || *p != ',') {
        Close();
        return false;
    }
    if (!ParseLocatorNumber(p + 1, UINT32_MAX, &size, &p) || *p != '\0') {
        Close();
        return false;
    }
    if (address == 0 && size != 0)
        return false;
    mView.base = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(address));
    mView.size = static_cast<uint32_t>(size);
    mView.position = 0;
    mView.mode = static_cast<uint32_t>(mode);
    return true;
}

void TMemoryFile::Close()
{
    mView.Clear();
}

void TMemoryFile::Unget()
{
    // Nothing was read at the start; stepping back would wrap to the end.
    if (mView.position > 0)
        mView.Seek(-1, kSeekCurrent);
}

void TMemoryFile::Seek(int32_t offset, int origin)
{
    mView.Seek(offset, origin);
}

uint32_t TMemoryFile::GetSize()
{
    return mView.size;
}

int32_t TMemoryFile::Tell()
{
    return static_cast<int32_t>(mView.position);
}

uint32_t TMemoryFile::Read(void* buffer, uint32_t count)
{
    return mView.Read(buffer, count);
}

uint32_t TMemoryFile::Write(const void*, uint32_t)
{
    return 0;
}

bool TMemoryFile::Eof()
{
    return mView.position == mView.size;
}
