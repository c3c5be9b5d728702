#include "platform/PackFile.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/AssetNames.h"
#include "platform/File.h"
#include "platform/FolderScan.h"
#include "platform/Log.h"

namespace {

// The pack list; a pack's position is the index in its locators and is never
// given to another pack. Packs are mounted on the main thread, but entries
// may be opened from others, so the list is used under PackLock().
std::mutex& PackLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<std::unique_ptr<TFileMapHandler>>& Packs()
{
    static std::vector<std::unique_ptr<TFileMapHandler>> packs;
    return packs;
}

// Mappings of packs mounted again under the same name. Entries opened from
// the old mapping keep pointers into it, so it stays mapped until exit.
std::vector<std::shared_ptr<TFileMapData>>& RetiredMappings()
{
    static std::vector<std::shared_ptr<TFileMapData>> retired;
    return retired;
}

uint32_t ReadLE32(const uint8_t* b)
{
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
           static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

bool ReadExactly(TFileHandle* file, void* buffer, uint32_t count)
{
    return FileRead(file, buffer, count) == count;
}

// Reads the directory and registers its entries. Every entry must lie inside
// the pack's `fileSize` bytes.
void RegisterEntries(TFileHandle* file, const TString& packName, int index, uint64_t fileSize)
{
    const char* pack = packName.c_str();
    uint8_t word[4];
    if (!ReadExactly(file, word, 4)) {
        WriteLog("Flat file %s: no entry count", pack);
        return;
    }
    int32_t count = static_cast<int32_t>(ReadLE32(word));
    if (count < 0) {
        WriteLog("Flat file %s: entry count %" PRId32 " is negative", pack, count);
        return;
    }

    int32_t outside = 0;
    int32_t unnamed = 0;
    for (int32_t i = 0; i < count; ++i) {
        // Each entry is at least 9 bytes, so a count larger than the file
        // ends here at the first short read.
        uint8_t length = 0;
        char name[256];
        uint8_t fields[8];
        if (!ReadExactly(file, &length, 1) || !ReadExactly(file, name, length) ||
            !ReadExactly(file, fields, 8)) {
            WriteLog("Flat file %s: directory ends after %" PRId32 " of %" PRId32 " entries", pack,
                     i, count);
            break;
        }
        name[length] = 0;
        uint32_t offset = ReadLE32(fields);
        uint32_t size = ReadLE32(fields + 4);
        if (name[0] == 0) {
            ++unnamed;
            continue;
        }
        if (static_cast<uint64_t>(offset) + size > fileSize) {
            ++outside;
            continue;
        }
        char locator[48];
        std::snprintf(locator, sizeof locator, "@%d:%" PRIu32 ",%" PRIu32, index, offset, size);
        RegisterAssetFile(name, locator);
    }
    if (outside > 0)
        WriteLog("Flat file %s: %" PRId32 " entries reach past the end of the file, not registered",
                 pack, outside);
    if (unnamed > 0)
        WriteLog("Flat file %s: %" PRId32 " entries without a name, not registered", pack, unnamed);
}

} // namespace

bool TFileMapData::Open(const TString& name)
{
    Close();
    TString path;
    if (name.Length() >= 2 && name[0] == ':' && name[1] == ':') {
        path = name.Mid(2);
    } else {
        path = ResolveAssetPath(name, true);
        // Pack and memory locators are not files on disk.
        if (path.IsEmpty() || path[0] == '@' || path[0] == '&')
            return false;
    }
    TString full = GetFullPath(path);
    if (full.IsEmpty())
        return false;
    return mMapping.Open(full.c_str());
}

bool TFileMapHandler::Open(const TString& name)
{
    mName = name;
    mData = std::make_shared<TFileMapData>();
    return mData->Open(name);
}

const uint8_t* TFileMapHandler::GetData() const
{
    return mData ? mData->GetData() : nullptr;
}

uint64_t TFileMapHandler::GetSize() const
{
    return mData ? mData->GetSize() : 0;
}

void MountFlatFiles(const TString& folder)
{
    TFolderScan scan;
    if (!scan.Open(folder.c_str()))
        return;
    std::vector<std::string> names;
    TString name;
    while (scan.Next(name))
        if (name.Find(".dnp") >= 0)
            names.push_back(name.c_str());
    // A fixed order: the pack mounted later wins a shared entry name.
    std::sort(names.begin(), names.end());

    std::string base = folder.c_str();
    if (!base.empty() && base.back() != '/')
        base += '/';
    for (const std::string& file : names)
        AddFlatFile(TString(("::" + base + file).c_str()));
}

bool AddFlatFile(const TString& name)
{
    std::vector<std::unique_ptr<TFileMapHandler>>& packs = Packs();
    size_t index;
    {
        std::lock_guard<std::mutex> hold(PackLock());
        index = packs.size();
        for (size_t i = 0; i < packs.size(); ++i) {
            if (packs[i]->GetName() == name) {
                if (packs[i]->GetMapData())
                    RetiredMappings().push_back(packs[i]->GetMapData());
                packs[i]->Close();
                index = i;
                break;
            }
        }
    }

    TFileHandle* file = OpenAssetFile(name, kFileReadBinary);
    if (!file)
        return false;
    char magic[5] = "XXXX";
    FileRead(file, magic, 4);
    if (std::strcmp(magic, "DNPK") != 0) {
        FileClose(file);
        return false;
    }
    RegisterEntries(file, name, static_cast<int>(index), FileGetSize(file));

    auto handler = std::make_unique<TFileMapHandler>();
    bool mapped = handler->Open(name);
    if (!mapped)
        WriteLog("Failed to open flat file %s", name.c_str());
    {
        std::lock_guard<std::mutex> hold(PackLock());
        if (index >= packs.size())
            packs.push_back(std::move(handler));
        else
            packs[index] = std::move(handler);
    }
    FileClose(file);
    return mapped;
}

bool GetFlatFileView(int index, const uint8_t** data, uint64_t* size)
{
    std::lock_guard<std::mutex> hold(PackLock());
    const std::vector<std::unique_ptr<TFileMapHandler>>& packs = Packs();
    if (index < 0 || static_cast<size_t>(index) >= packs.size())
        return false;
    const TFileMapHandler& pack = *packs[static_cast<size_t>(index)];
    if (data)
        *data = pack.GetData();
    if (size)
        *size = pack.GetSize();
    return true;
}

int GetFlatFileCount()
{
    std::lock_guard<std::mutex> hold(PackLock());
    return static_cast<int>(Packs().size());
}

void UnmountFlatFiles()
{
    std::lock_guard<std::mutex> hold(PackLock());
    Packs().clear();
    RetiredMappings().clear();
}
