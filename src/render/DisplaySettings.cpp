#include "render/DisplaySettings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/AssetNames.h"
#include "platform/File.h"
#include "platform/Log.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"

namespace {

constexpr const char* kElement = "Settings";
constexpr const char* kAttribute = "LowMemoryVideo";

// A resolved name that is a file on disk (not a pack entry or memory file).
bool IsDiskPath(const TString& path)
{
    return !path.IsEmpty() && path[0] == '/';
}

bool Sync(const char* path, bool folder)
{
    int fd = open(path, folder ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd < 0)
        return false;
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

TString FolderOf(const TString& path)
{
    const char* text = path.c_str();
    const char* slash = strrchr(text, '/');
    if (!slash)
        return TString(".");
    if (slash == text)
        return TString("/");
    return TString(text, uint32_t(slash - text));
}

// Makes the folder and any missing parent.
void MakeFolders(const TString& folder)
{
    std::string path = folder.c_str();
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at == path.size() || path[at] == '/')
            mkdir(path.substr(0, at).c_str(), 0755);
    }
}

} // namespace

bool ReadLowMemoryVideoSetting()
{
    TXmlNode root;
    if (!LoadXmlFile(&root, kDisplaySettingsFile))
        return false;
    TXmlNode* settings = root.FindChild(kElement);
    if (!settings)
        return false;
    TString value;
    settings->GetAttribute(value, kAttribute);
    return atoi(value.c_str()) != 0;
}

bool WriteLowMemoryVideoSetting()
{
    TXmlNode settings(kElement);
    settings.SetAttribute(kAttribute, "1");
    TString text;
    settings.ToString(text);

    const TString name(kDisplaySettingsFile);
    const TString tempName = name + ".tmp";
    const TString path = ResolveAssetPath(name, false);
    const TString tempPath = ResolveAssetPath(tempName, false);
    if (!IsDiskPath(path) || !IsDiskPath(tempPath)) {
        WriteLog("%s is not a file on disk; the low-memory video setting is not saved", name.c_str());
        return false;
    }
    // Text mode, as the setting has always been written.
    MakeFolders(FolderOf(path));
    TFileHandle* file = OpenAssetFile(tempName, 3);
    if (!file) {
        WriteLog("Could not open %s for writing", tempPath.c_str());
        return false;
    }
    uint32_t size = text.Length();
    uint32_t written = size ? FileWrite(file, text.c_str(), size) : 0;
    FileClose(file);
    if (written != size || !Sync(tempPath.c_str(), false)) {
        WriteLog("Could not write %s; %s left as it was", tempPath.c_str(), path.c_str());
        std::remove(tempPath.c_str());
        return false;
    }
    if (std::rename(tempPath.c_str(), path.c_str()) != 0) {
        WriteLog("Could not replace %s", path.c_str());
        std::remove(tempPath.c_str());
        return false;
    }
    Sync(FolderOf(path).c_str(), true);
    return true;
}
