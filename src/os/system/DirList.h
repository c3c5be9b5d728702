#pragma once

#include <cstdint>
#include <string>

struct OsDirEntry {
    std::string name;
    bool isFolder = false; // links are followed; a broken link is a file
};

// Listing of one folder; "." and ".." are left out.
class OsDirList {
public:
    OsDirList() = default;
    ~OsDirList() { Close(); }
    OsDirList(const OsDirList&) = delete;
    OsDirList& operator=(const OsDirList&) = delete;

    // Starts listing `path`. On failure returns false and LastError() gives
    // the errno value.
    bool Open(const std::string& path);
    // Gives the next entry; false (and the listing closed) after the last.
    bool Next(OsDirEntry& entry);
    void Close();
    bool IsOpen() const { return mDir != nullptr; }
    int LastError() const { return mError; }

private:
    void* mDir = nullptr; // DIR*
    std::string mPath;
    int mError = 0;
};

// Identity of a folder (device and inode, links followed), used to notice
// loops while walking a tree. False when the path cannot be examined.
bool OsFolderId(const std::string& path, uint64_t* device, uint64_t* inode);
