#include "platform/FlatFileMap.h"

#include "platform/Log.h"
#include "platform/PackFile.h"

bool TFlatFileMap::Open(const char* locator, int mode)
{
    Close();
    if (locator == nullptr || locator[0] != '@')
        return false;

    uint64_t index = 0;
    const char* p = nullptr;
    if (!ParseLocatorNumber(locator + 1, INT32_MAX, &index, &p))
        return false;

    const uint8_t* data = nullptr;
    uint64_t packSize = 0;
    if (!GetFlatFileView(static_cast<int>(index), &data, &packSize))
        return false;
    if (data == nullptr) {
        WriteLog("error reading %s from flat file", locator);
        return false;
    }

    uint64_t offset = 0;
    uint64_t size = 0;
    if (*p != ':' || !ParseLocatorNumber(p + 1, UINT32_MAX, &offset, &p) || *p != ',' ||
        !ParseLocatorNumber(p + 1, UINT32_MAX, &size, &p) || *p != '\0') {
        Close();
        return false;
    }
    if (offset > packSize || size > packSize - offset) {
        WriteLog("flat file entry %s lies outside its pack", locator);
        return false;
    }

    mView.base = data + offset;
    mView.size = static_cast<uint32_t>(size);
    mView.position = 0;
    mView.mode = static_cast<uint32_t>(NormalizeFileMode(mode));
    return true;
}

void TFlatFileMap::Close()
{
    mView.Clear();
}

void TFlatFileMap::Unget()
{
    // Nothing was read at the start; stepping back would wrap to the end.
    if (mView.position > 0)
        mView.Seek(-1, kSeekCurrent);
}

void TFlatFileMap::Seek(int32_t offset, int origin)
{
    mView.Seek(offset, origin);
}

uint32_t TFlatFileMap::GetSize()
{
    return mView.size;
}

int32_t TFlatFileMap::Tell()
{
    return static_cast<int32_t>(mView.position);
}

uint32_t TFlatFileMap::Read(void* buffer, uint32_t count)
{
    return mView.Read(buffer, count);
}

uint32_t TFlatFileMap::Write(const void*, uint32_t)
{
    return 0;
}

bool TFlatFileMap::Eof()
{
    return mView.position == mView.size;
}
