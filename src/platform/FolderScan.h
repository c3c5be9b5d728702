#pragma once

#include "os/system/DirList.h"
#include "platform/TString.h"

// Listing of one folder, one entry per call to Next.
class TFolderScan {
public:
    TFolderScan() = default;
    explicit TFolderScan(const char* path) { Open(path); }
    explicit TFolderScan(const TString& path) { Open(path.c_str()); }

    // Closes any listing still open; a null path leaves the listing empty.
    // False when the folder cannot be listed (see LastError).
    bool Open(const char* path);
    void Close() { mList.Close(); }

    // Gives the next entry's name ("." and ".." left out). Without a flag
    // pointer folders are passed over; with one, it tells whether the entry
    // is a folder. False after the last entry, which closes the listing.
    bool Next(TString& name, bool* isFolder = nullptr);

    // errno of a failed Open, 0 otherwise.
    int LastError() const { return mList.LastError(); }

private:
    OsDirList mList;
};
