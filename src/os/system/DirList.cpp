#include "os/system/DirList.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

bool OsDirList::Open(const std::string& path)
{
    Close();
    mError = 0;
    if (path.empty()) {
        mError = ENOENT;
        return false;
    }
    DIR* dir = opendir(path.c_str());
    if (!dir) {
        mError = errno;
        return false;
    }
    mDir = dir;
    mPath = path;
    if (mPath.back() != '/')
        mPath += '/';
    return true;
}

bool OsDirList::Next(OsDirEntry& entry)
{
    while (mDir) {
        errno = 0;
        struct dirent* d = readdir(static_cast<DIR*>(mDir));
        if (!d) {
            mError = errno;
            Close();
            return false;
        }
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0)
            continue;
        entry.name = d->d_name;
        if (d->d_type == DT_DIR) {
            entry.isFolder = true;
        } else if (d->d_type == DT_REG) {
            entry.isFolder = false;
        } else {
            struct stat st;
            entry.isFolder = stat((mPath + entry.name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        return true;
    }
    return false;
}

void OsDirList::Close()
{
    if (mDir)
        closedir(static_cast<DIR*>(mDir));
    mDir = nullptr;
}

bool OsFolderId(const std::string& path, uint64_t* device, uint64_t* inode)
{
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return false;
    *device = static_cast<uint64_t>(st.st_dev);
    *inode = static_cast<uint64_t>(st.st_ino);
    return true;
}
