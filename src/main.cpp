// Process entry. At this stage the program sets up its folders and log,
// reads its settings, asset names, packs and string tables, and exits.
#include <unistd.h>

#include <cstdio>

#include "os/Folders.h"
#include "platform/AssetNames.h"
#include "platform/Log.h"
#include "platform/Settings.h"
#include "platform/StringTable.h"
#include "platform/TString.h"
#include "platform/Version.h"

namespace {

TString FolderOrEmpty(int result, const char* buffer)
{
    if (result != 0)
        return TString();
    TString folder(buffer);
    while (folder.Length() > 1 && folder[folder.Length() - 1] == '/')
        folder.Erase(folder.Length() - 1, 1);
    return folder;
}

} // namespace

int main()
{
    std::string home = OsExecutableFolder();
    if (!home.empty() && chdir(home.c_str()) != 0)
        std::fprintf(stderr, "quillory: cannot enter %s\n", home.c_str());

    char buffer[4096];
    TString user = FolderOrEmpty(GetAppDataFolder(false, QUILLORY_PRODUCT_NAME, buffer, sizeof buffer), buffer);
    TString common = FolderOrEmpty(GetAppDataFolder(true, QUILLORY_PRODUCT_NAME, buffer, sizeof buffer), buffer);
    TString desktop = GetDesktopPath(buffer, sizeof buffer) == 0 ? TString(buffer) : user;
    if (common.IsEmpty())
        common = user;

    SetLogFolder(user.IsEmpty() ? nullptr : user.c_str());
    LoadSettingsFile("::assets/settings.xml");
    SetAssetFolders(user, common, desktop);
    SetFirstPeek(IsEnabled("firstpeek"));
    LoadAssetManifest();

    TStringTable strings;
    if (!strings.Reload("strings.xml"))
        WriteLog("No string table \"strings.xml\"");
    LoadExtraStringTables(strings);

    TString version = StrFormat("%d.%d.%d.%d", QUILLORY_VERSION_MAJOR, QUILLORY_VERSION_MINOR,
                                QUILLORY_VERSION_PATCH, QUILLORY_VERSION_BUILD);
    SetConfig("buildtag", QUILLORY_BUILD_TAG);
    SetConfig("gamename", QUILLORY_PRODUCT_NAME);
    SetConfig("version", version);
    WriteLog("%s, version %s.", QUILLORY_PRODUCT_NAME, version.c_str());
    WriteLog("%u strings loaded; user folder %s", unsigned(strings.GetCount()), user.c_str());

    std::printf("%s %s: %u strings loaded, log in %s\n", QUILLORY_PRODUCT_NAME, version.c_str(),
                unsigned(strings.GetCount()), GetLogPath().c_str());
    return 0;
}
