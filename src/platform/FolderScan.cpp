#include "platform/FolderScan.h"

bool TFolderScan::Open(const char* path)
{
    mList.Close();
    if (!path)
        return false;
    return mList.Open(path);
}

bool TFolderScan::Next(TString& name, bool* isFolder)
{
    OsDirEntry entry;
    while (mList.Next(entry)) {
        if (!isFolder && entry.isFolder)
            continue;
        name = TString(entry.name.c_str(), static_cast<uint32_t>(entry.name.size()));
        if (isFolder)
            *isFolder = entry.isFolder;
        return true;
    }
    return false;
}
