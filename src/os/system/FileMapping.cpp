#include "os/system/FileMapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

bool OsFileMapping::Open(const std::string& path)
{
    Close();
    if (path.empty())
        return false;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
        close(fd);
        return false;
    }
    size_t size = static_cast<size_t>(st.st_size);
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    // The mapping stays valid after the descriptor is closed.
    close(fd);
    if (view == MAP_FAILED)
        return false;
    mData = static_cast<const uint8_t*>(view);
    mSize = static_cast<uint64_t>(size);
    return true;
}

void OsFileMapping::Close()
{
    if (mData)
        munmap(const_cast<uint8_t*>(mData), static_cast<size_t>(mSize));
    mData = nullptr;
    mSize = 0;
}
