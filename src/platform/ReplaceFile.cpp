#include "platform/ReplaceFile.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AssetNames.h"
#include "platform/File.h"
#include "platform/FileData.h"
#include "platform/Log.h"

namespace {

// A resolved name that is a file on disk (not a pack entry or memory file).
bool IsDiskPath(const TString& path)
{
    return !path.IsEmpty() && path[0] == '/';
}

bool SyncPath(const char* path, bool folder)
{
    const int fd = open(path, (folder ? (O_RDONLY | O_DIRECTORY) : O_RDONLY) | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

std::string FolderOf(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    if (!slash)
        return ".";
    return slash == path ? "/" : std::string(path, size_t(slash - path));
}

} // namespace

bool ReplaceFileWhole(const TString& name, const TString& tempName, const void* bytes, uint32_t size)
{
    const TString path = ResolveAssetPath(name, false);
    const TString tempPath = ResolveAssetPath(tempName, false);
    if (!IsDiskPath(path) || !IsDiskPath(tempPath)) {
        WriteLog("%s is not a file on disk; not written", name.c_str());
        return false;
    }
    std::remove(tempPath.c_str());
    TFileHandle* file = OpenAssetFile(tempName, kFileWriteBinary);
    if (!file) {
        WriteLog("Could not open %s for writing; %s left as it was", tempPath.c_str(), path.c_str());
        return false;
    }
    const uint32_t written = size ? FileWrite(file, bytes, size) : 0;
    FileClose(file);
    // A failed flush at the close shows as a short file.
    struct stat st;
    const bool whole = stat(tempPath.c_str(), &st) == 0 && uint64_t(st.st_size) == size;
    if (written != size || !whole || !SyncPath(tempPath.c_str(), false)) {
        WriteLog("Could not write %s; %s left as it was", tempPath.c_str(), path.c_str());
        std::remove(tempPath.c_str());
        return false;
    }
    if (std::rename(tempPath.c_str(), path.c_str()) != 0) {
        WriteLog("Could not replace %s", path.c_str());
        std::remove(tempPath.c_str());
        return false;
    }
    SyncPath(FolderOf(path.c_str()).c_str(), true);
    return true;
}
