#include "platform/AssetNames.h"

#include "os/system/Folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/File.h"
#include "platform/FolderScan.h"
#include "platform/PackFile.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const std::string& path, const std::string& text)
{
    if (fs::path(path).has_parent_path())
        fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string ReadAsset(const char* name)
{
    TFileHandle* file = OpenAssetFile(name, kFileReadBinary);
    if (!file)
        return "<not open>";
    std::string text(FileGetSize(file), '\0');
    text.resize(FileRead(file, text.data(), static_cast<uint32_t>(text.size())));
    FileClose(file);
    return text;
}

// All registered names, in the map's order.
std::vector<std::string> RegisteredNames(const char* prefix = "", bool subfolders = true)
{
    std::vector<std::string> names;
    TString name;
    while (FindRegisteredFile(prefix, name, subfolders))
        names.push_back(name.c_str());
    return names;
}

bool RunningAsRoot()
{
    return geteuid() == 0;
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : mName(name)
    {
        const char* old = std::getenv(name);
        mHad = old != nullptr;
        if (old)
            mOld = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (mHad)
            setenv(mName.c_str(), mOld.c_str(), 1);
        else
            unsetenv(mName.c_str());
    }

private:
    std::string mName;
    std::string mOld;
    bool mHad = false;
};

} // namespace

// Each test runs in a fresh temporary working folder with user and common
// folders (the same one) and a desktop folder under it.
class AssetNamesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mRoot.empty());
        mOldCwd = fs::current_path();
        fs::current_path(mRoot);
        mUser = mRoot + "/User Data";
        mDesktop = mRoot + "/Desk/";
        fs::create_directories(mUser);
        fs::create_directories(mDesktop);
        ClearRegisteredFiles();
        ParseManifest("-*", true);
        SetFirstPeek(false);
        SetAssetFolders(mUser.c_str(), mUser.c_str(), mDesktop.c_str());
    }

    void TearDown() override
    {
        ClearRegisteredFiles();
        ParseManifest("-*", true);
        UnmountFlatFiles();
        SetAssetFolders("", "", "");
        fs::current_path(mOldCwd);
        chmod((mRoot + "/assets/locked").c_str(), 0755);
    }

    TTempFolder mTemp{"assetnames"};
    TLogCapture mLog{mTemp.File("log")};
    const std::string mRoot = mTemp.Path();
    std::string mUser;
    std::string mDesktop;
    fs::path mOldCwd;
};

TEST_F(AssetNamesTest, NamesAreCaseInsensitiveAndPathsKeepTheirCase)
{
    WriteText("assets/Textures/A.PNG", "png");
    WriteText("assets/UI/Menu/Back.TGA", "tga");
    LoadAssetManifest();

    EXPECT_EQ(std::string(ResolveAssetPath("textures/a.png", true).c_str()), "assets/Textures/A.PNG");
    EXPECT_EQ(ResolveAssetPath("Textures/A.PNG", true), ResolveAssetPath("textures/a.png", true));
    EXPECT_EQ(std::string(ResolveAssetPath("ui/menu/back.tga", false).c_str()),
              "assets/UI/Menu/Back.TGA");
    EXPECT_EQ(ReadAsset("TEXTURES/a.png"), "png");
    EXPECT_EQ(ReadAsset("ui\\menu\\back.tga"), "tga");
}

TEST_F(AssetNamesTest, AssetsPrefixResolvesLikeThePlainName)
{
    WriteText("assets/x.png", "x");
    WriteText("assets/assetsy.png", "y");
    LoadAssetManifest();

    struct Case {
        const char* name;
        const char* expected;
    } cases[] = {
        {"x.png", "assets/x.png"},
        {"assets/x.png", "assets/x.png"},
        {"assets\\x.png", "assets/x.png"},
        {"ASSETS/X.PNG", "assets/x.png"},
        {"assets/assets/x.png", "assets/x.png"},
        {"assetsx.png", ""},
        {"assets", ""},
        {"assets/", ""},
        {"assetsy.png", "assets/assetsy.png"}, // registered by the scan under that name
        {"missing.png", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(std::string(ResolveAssetPath(c.name, true).c_str()), c.expected);
        EXPECT_EQ(AssetExists(c.name), c.expected[0] != 0);
    }
}

TEST_F(AssetNamesTest, ManifestHidesNamesAndResetsOnDashStar)
{
    for (const char* name : {"a.png", "b.png", "c.png", "ui/x.png", "ui/y.png", "sub/z.png"})
        WriteText(std::string("assets/") + name, name);
    WriteText(mUser + "/prefs.dat", "p");
    // "-*" forgets a.png; ui hides the whole folder; names are lower-cased.
    WriteText("final.txt", "a.png\t-*\r\nB.PNG  UI\nuser:prefs.dat sub\\z.png\n");
    LoadAssetManifest();

    EXPECT_TRUE(AssetExists("a.png"));
    EXPECT_FALSE(AssetExists("b.png"));
    EXPECT_TRUE(AssetExists("c.png"));
    EXPECT_FALSE(AssetExists("ui/x.png"));
    EXPECT_FALSE(AssetExists("ui/y.png"));
    EXPECT_FALSE(AssetExists("sub/z.png"));
    EXPECT_FALSE(NotInManifest("b.png"));
    EXPECT_TRUE(NotInManifest("a.png"));
    // A listed "user:" name fails only when it must exist.
    EXPECT_TRUE(ResolveAssetPath("user:prefs.dat", true).IsEmpty());
    EXPECT_EQ(std::string(ResolveAssetPath("user:prefs.dat", false).c_str()), mUser + "/prefs.dat");

    EXPECT_TRUE(ParseManifest("x -* y", true));
    EXPECT_FALSE(ParseManifest("z", true));
    EXPECT_FALSE(NotInManifest("y"));
    EXPECT_FALSE(NotInManifest("Z"));
    EXPECT_FALSE(ParseManifest("Y\n", false));
    EXPECT_TRUE(NotInManifest("y"));
    EXPECT_FALSE(ParseManifest(nullptr, true));
}

TEST_F(AssetNamesTest, ManifestSizeLimitAndFirstPeek)
{
    WriteText("assets/a.png", "a");
    WriteText("assets/b.png", "b");
    WriteText("firstpeek.txt", "b.png");

    // 99,999 bytes are read; 100,000 bytes are ignored as a whole.
    std::string text = "a.png";
    text.resize(99999, ' ');
    WriteText("final.txt", text);
    LoadAssetManifest();
    EXPECT_FALSE(AssetExists("a.png"));
    EXPECT_TRUE(AssetExists("b.png"));

    ClearRegisteredFiles();
    ParseManifest("-*", true);
    text.resize(100000, ' ');
    WriteText("final.txt", text);
    LoadAssetManifest();
    EXPECT_TRUE(AssetExists("a.png"));
    EXPECT_NE(mLog.Text().find("final.txt ignored"), std::string::npos);

    ClearRegisteredFiles();
    ParseManifest("-*", true);
    SetFirstPeek(true);
    LoadAssetManifest();
    EXPECT_TRUE(AssetExists("a.png"));
    EXPECT_FALSE(AssetExists("b.png"));
}

TEST_F(AssetNamesTest, DoubleColonNamesResolveOnlyWhileTheFileIsReadable)
{
    WriteText("Data/File.TXT", "text");
    fs::create_directories("Data/Folder");
    for (bool mustExist : {true, false}) {
        SCOPED_TRACE(mustExist);
        EXPECT_EQ(std::string(ResolveAssetPath("::Data/File.TXT", mustExist).c_str()), "Data/File.TXT");
        EXPECT_EQ(std::string(ResolveAssetPath("::Data\\File.TXT", mustExist).c_str()), "Data/File.TXT");
        EXPECT_EQ(std::string(ResolveAssetPath(("::" + mRoot + "/Data/File.TXT").c_str(), mustExist).c_str()),
                  mRoot + "/Data/File.TXT");
        EXPECT_TRUE(ResolveAssetPath("::Data/Missing.txt", mustExist).IsEmpty());
        EXPECT_TRUE(ResolveAssetPath("::Data/Folder", mustExist).IsEmpty());
        EXPECT_TRUE(ResolveAssetPath("::", mustExist).IsEmpty());
    }
    // Opening for writing does not make a new file through "::".
    EXPECT_EQ(OpenAssetFile("::Data/New.txt", kFileWriteBinary), nullptr);
    EXPECT_FALSE(fs::exists("Data/New.txt"));

    if (!RunningAsRoot()) {
        chmod("Data/File.TXT", 0200);
        EXPECT_TRUE(ResolveAssetPath("::Data/File.TXT", false).IsEmpty());
        chmod("Data/File.TXT", 0644);
    }
    fs::remove("Data/File.TXT");
    EXPECT_TRUE(ResolveAssetPath("::Data/File.TXT", false).IsEmpty());
}

TEST_F(AssetNamesTest, FolderNamesBuildPathsUnderTheirRoots)
{
    // Missing files resolve only when they need not exist; then the path is
    // remembered, so later lookups hit the map.
    EXPECT_TRUE(ResolveAssetPath("user:saves/a.dat", true).IsEmpty());
    EXPECT_EQ(std::string(ResolveAssetPath("User:Saves\\A.dat", false).c_str()), mUser + "/saves/a.dat");
    EXPECT_EQ(std::string(ResolveAssetPath("user:saves/a.dat", true).c_str()), mUser + "/saves/a.dat");

    WriteText(mUser + "/prefs.dat", "p");
    EXPECT_EQ(std::string(ResolveAssetPath("user:PREFS.DAT", true).c_str()), mUser + "/prefs.dat");
    EXPECT_EQ(std::string(ResolveAssetPath("common:prefs.dat", true).c_str()), mUser + "/prefs.dat");
    EXPECT_EQ(std::string(ResolveAssetPath("desktop:shot.png", false).c_str()), mDesktop + "shot.png");

    // Writing through a folder name creates the file where it resolves.
    TFileHandle* file = OpenAssetFile("user:Notes.TXT", kFileWriteBinary);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(FileWrite(file, "abc", 3), 3u);
    FileClose(file);
    EXPECT_TRUE(fs::exists(mUser + "/notes.txt"));
    EXPECT_EQ(ReadAsset("USER:notes.txt"), "abc");

    // Without folders nothing resolves, rather than a path from the file
    // system's root.
    ClearRegisteredFiles();
    SetAssetFolders("", "", "");
    EXPECT_TRUE(ResolveAssetPath("user:prefs.dat", false).IsEmpty());
    EXPECT_TRUE(ResolveAssetPath("desktop:x", false).IsEmpty());
}

TEST_F(AssetNamesTest, ScanRegistersUserAndCommonTrees)
{
    WriteText(mUser + "/A.txt", "a");
    WriteText(mUser + "/Saves/B.txt", "b");
    WriteText("assets/Sub/Deeper/c.txt", "c");
    LoadAssetManifest();

    EXPECT_EQ(std::string(ResolveAssetPath("user:a.txt", true).c_str()), mUser + "/A.txt");
    EXPECT_EQ(std::string(ResolveAssetPath("user:saves/b.txt", true).c_str()), mUser + "/Saves/B.txt");
    // The common folder is the user folder, scanned once more.
    EXPECT_EQ(std::string(ResolveAssetPath("common:saves/b.txt", true).c_str()), mUser + "/Saves/B.txt");
    EXPECT_EQ(ReadAsset("sub/deeper/c.txt"), "c");
    EXPECT_EQ(RegisteredNames(), (std::vector<std::string>{"common:a.txt", "common:saves/b.txt",
                                                           "sub/deeper/c.txt", "user:a.txt",
                                                           "user:saves/b.txt"}));
}

TEST_F(AssetNamesTest, FindRegisteredFileSteps)
{
    for (const char* name : {"strings.xml", "Strings2.xml", "strings/x.xml", "other.xml", "stringy"})
        WriteText(mUser + "/" + name, "s");
    ScanAssetFolder(mUser.c_str(), "user:");
    RegisterAssetFile("uses:strings.xml", "elsewhere");

    EXPECT_EQ(RegisteredNames("user:string", false),
              (std::vector<std::string>{"user:strings.xml", "user:strings2.xml", "user:stringy"}));
    EXPECT_EQ(RegisteredNames("USER:String", true),
              (std::vector<std::string>{"user:strings.xml", "user:strings/x.xml", "user:strings2.xml",
                                        "user:stringy"}));
    TString name;
    EXPECT_FALSE(FindRegisteredFile("user:nothing", name, true));
    EXPECT_TRUE(name.IsEmpty());
    name = "user:stringy";
    EXPECT_FALSE(FindRegisteredFile("user:string", name, false));
}

TEST_F(AssetNamesTest, MemoryFilesAndLookupsDoNotGrowTheMap)
{
    static const char kData[] = "memory bytes";
    RegisterMemoryFile("Mem/Data.BIN", kData, 6);
    TString resolved = ResolveAssetPath("mem/data.bin", true);
    ASSERT_FALSE(resolved.IsEmpty());
    EXPECT_EQ(resolved[0], '&');
    EXPECT_EQ(ReadAsset("MEM/data.bin"), "memory");

    size_t before = RegisteredNames().size();
    for (const char* miss : {"nothing.png", "assets/nothing.png", "::nothing", "ui/"})
        EXPECT_TRUE(ResolveAssetPath(miss, true).IsEmpty());
    EXPECT_EQ(RegisteredNames().size(), before);

    // Removal finds the name in any case.
    RegisterMemoryFile("MEM/DATA.bin", nullptr, 0);
    EXPECT_FALSE(AssetExists("mem/data.bin"));
    EXPECT_EQ(RegisteredNames().size(), before - 1);
}

TEST_F(AssetNamesTest, ScanSurvivesUnreadableLoopingAndDeepFolders)
{
    WriteText("assets/top.txt", "t");
    WriteText("assets/locked/hidden.txt", "h");
    WriteText("assets/sub/s.txt", "s");
    fs::create_directory_symlink("..", "assets/sub/loop");
    fs::create_directory_symlink("sub", "assets/alias");
    fs::create_symlink("top.txt", "assets/link.txt");
    std::string deep = "d";
    for (int i = 0; i < 40; ++i)
        deep += "/d";
    WriteText("assets/" + deep + "/bottom.txt", "b");
    WriteText("assets/d/d/d/shallow.txt", "s");
    if (!RunningAsRoot())
        chmod("assets/locked", 0);

    LoadAssetManifest();
    chmod("assets/locked", 0755);

    EXPECT_EQ(ReadAsset("top.txt"), "t");
    EXPECT_EQ(ReadAsset("link.txt"), "t");
    EXPECT_EQ(ReadAsset("d/d/d/shallow.txt"), "s");
    EXPECT_FALSE(AssetExists((deep + "/bottom.txt").c_str()));
    // Linked folders are followed, except back up to a folder being scanned.
    EXPECT_EQ(ReadAsset("alias/s.txt"), "s");
    EXPECT_FALSE(AssetExists("sub/loop/top.txt"));
    std::string log = mLog.Text();
    EXPECT_NE(log.find("leads back to a folder above it"), std::string::npos);
    EXPECT_NE(log.find("nested too deeply"), std::string::npos);
    if (!RunningAsRoot()) {
        EXPECT_FALSE(AssetExists("locked/hidden.txt"));
        EXPECT_NE(log.find("cannot list assets/locked"), std::string::npos);
    }
}

TEST_F(AssetNamesTest, FolderScanListsEntries)
{
    WriteText("dir/b.txt", "b");
    WriteText("dir/sub/c.txt", "c");
    TFolderScan scan("dir");
    std::vector<std::string> files;
    TString name;
    while (scan.Next(name))
        files.push_back(name.c_str());
    EXPECT_EQ(files, std::vector<std::string>{"b.txt"});
    EXPECT_FALSE(scan.Next(name)); // closed after the last entry

    TFolderScan all("dir/");
    std::vector<std::pair<std::string, bool>> entries;
    bool isFolder = false;
    while (all.Next(name, &isFolder))
        entries.emplace_back(name.c_str(), isFolder);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::pair<std::string, bool>>{{"b.txt", false}, {"sub", true}}));

    TFolderScan none(static_cast<const char*>(nullptr));
    EXPECT_FALSE(none.Next(name, &isFolder));
    TFolderScan missing("no-such-folder");
    EXPECT_FALSE(missing.Next(name));
}

TEST_F(AssetNamesTest, AppDataFolderFollowsXdgAndTheSizeContract)
{
    std::string data = mRoot + "/xdg data";
    ScopedEnv env("XDG_DATA_HOME", data.c_str());
    std::string expected = data + "/Dunmere/Quiz Game/";

    char buffer[260] = "untouched";
    EXPECT_EQ(GetAppDataFolder(false, nullptr, buffer, sizeof buffer), -1);
    EXPECT_EQ(GetAppDataFolder(false, "Quiz Game", nullptr, 260), -1);

    // Too small: the needed size comes back, the buffer is left alone and
    // nothing is created.
    int needed = GetAppDataFolder(false, "Quiz Game", buffer, 10);
    EXPECT_EQ(needed, static_cast<int>(expected.size() + 1));
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_FALSE(fs::exists(data));
    EXPECT_EQ(GetAppDataFolder(false, "Quiz Game", buffer, static_cast<uint32_t>(needed - 1)), needed);

    std::vector<char> exact(static_cast<size_t>(needed));
    EXPECT_EQ(GetAppDataFolder(false, "Quiz Game", exact.data(), static_cast<uint32_t>(needed)), 0);
    EXPECT_EQ(std::string(exact.data()), expected);
    EXPECT_TRUE(fs::is_directory(expected));

    EXPECT_EQ(GetAppDataFolder(true, "Quiz Game", buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(GetAppDataFolder(false, "a/b", buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer), data + "/Dunmere/a_b/");

    // A relative XDG_DATA_HOME is ignored in favour of the home folder.
    ScopedEnv relative("XDG_DATA_HOME", "relative");
    ScopedEnv home("HOME", (mRoot + "/home").c_str());
    EXPECT_EQ(GetAppDataFolder(false, "G", buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer), mRoot + "/home/.local/share/Dunmere/G/");
}

TEST_F(AssetNamesTest, DesktopFolderFromUserDirsThenDesktopThenNothing)
{
    std::string home = mRoot + "/home";
    fs::create_directories(home + "/Bureau");
    ScopedEnv homeEnv("HOME", home.c_str());
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    char buffer[260];

    EXPECT_EQ(GetDesktopPath(buffer, sizeof buffer), -1);
    EXPECT_EQ(GetDesktopPath(nullptr, sizeof buffer), -1);

    fs::create_directories(home + "/Desktop");
    EXPECT_EQ(GetDesktopPath(buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer), home + "/Desktop/");

    WriteText(home + "/.config/user-dirs.dirs",
              "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
              "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    EXPECT_EQ(GetDesktopPath(buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer), home + "/Bureau/");
    int needed = static_cast<int>(home.size() + std::strlen("/Bureau/") + 1);
    EXPECT_EQ(GetDesktopPath(buffer, 5), needed);

    // An entry that names a missing folder falls back to ~/Desktop.
    WriteText(home + "/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"/nonexistent/desk\"\n");
    EXPECT_EQ(GetDesktopPath(buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer), home + "/Desktop/");
}

TEST_F(AssetNamesTest, FullPathIsAbsoluteAndNormalised)
{
    EXPECT_EQ(std::string(GetFullPath("a/../b/./c").c_str()), mRoot + "/b/c");
    EXPECT_EQ(std::string(GetFullPath("a\\b").c_str()), mRoot + "/a/b");
    EXPECT_EQ(std::string(GetFullPath("/x/y").c_str()), "/x/y");
    EXPECT_TRUE(GetFullPath("").IsEmpty());

    std::string exe = OsExecutableFolder();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.back(), '/');
    EXPECT_TRUE(fs::exists(exe + "test_platform"));
}
