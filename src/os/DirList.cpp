#include "os/DirList.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

bool OsDirList::Open(const std::string& path)
{
    Close();
    m_error = 0;
    if (path.empty()) {
        m_error = ENOENT;
        return false;
    }
    DIR* dir = opendir(path.c_str());
    if (!dir) {
        m_error = errno;
        return false;
    }
    m_dir = dir;
    m_path = path;
    if (m_path.back() != '/')
        m_path += '/';
    return true;
}

bool OsDirList::Next(OsDirEntry& entry)
{
    while (m_dir) {
        errno = 0;
        struct dirent* d = readdir(static_cast<DIR*>(m_dir));
        if (!d) {
            m_error = errno;
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
            entry.isFolder = stat((m_path + entry.name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        return true;
    }
    return false;
}

void OsDirList::Close()
{
    if (m_dir)
        closedir(static_cast<DIR*>(m_dir));
    m_dir = nullptr;
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
