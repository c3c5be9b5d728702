#include "platform/AssetNames.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "os/system/DirList.h"
#include "os/system/Folders.h"
#include "platform/FolderScan.h"
#include "platform/Log.h"
#include "platform/PackFile.h"

namespace {

constexpr long kMaxManifestSize = 100000;
// Deeper folder trees than this are not scanned.
constexpr int kMaxScanDepth = 32;

// Files may be opened from the sound thread while the main thread resolves
// and registers names, so the map and the set are used under `lock`.
struct AssetRegistry {
    std::mutex lock;
    std::map<std::string, std::string> files; // lower-cased name -> resolved
    std::set<std::string> excluded;           // lower-cased names
    std::string roots[3]; // user, common, desktop
    TString userFolder;
    TString commonFolder;
    TString desktopFolder;
    bool firstPeek = false;
};

AssetRegistry& Registry()
{
    static AssetRegistry registry;
    return registry;
}

std::string ToStd(const TString& text)
{
    return std::string(text.c_str());
}

TString ToT(const std::string& text)
{
    return TString(text.c_str(), static_cast<uint32_t>(text.size()));
}

void ToSlashes(std::string& text)
{
    std::replace(text.begin(), text.end(), '\\', '/');
}

// Registry key of a name: ASCII lower case, "/" as the only separator.
std::string MakeKey(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == '\\')
            c = '/';
    }
    return text;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

struct FolderId {
    uint64_t device;
    uint64_t inode;
    bool operator==(const FolderId& other) const
    {
        return device == other.device && inode == other.inode;
    }
};

void ScanTree(const std::string& folder, const std::string& prefix, int depth,
              std::vector<FolderId>& parents)
{
    AssetRegistry& reg = Registry();
    if (depth > kMaxScanDepth) {
        WriteLog("Asset scan: %s is nested too deeply, not scanned", folder.c_str());
        return;
    }
    FolderId id{};
    bool haveId = OsFolderId(folder, &id.device, &id.inode);
    if (haveId && std::find(parents.begin(), parents.end(), id) != parents.end()) {
        WriteLog("Asset scan: %s leads back to a folder above it, not scanned", folder.c_str());
        return;
    }

    // Packs of an assets folder come before its loose files, so a loose file
    // replaces a pack entry of the same name.
    if (prefix.empty())
        MountFlatFiles(ToT(folder));

    std::string keyPrefix = MakeKey(prefix);
    std::string relative;
    if (prefix.empty()) {
        relative = MakeKey(folder);
        if (StartsWith(relative, "assets") && (relative.size() == 6 || relative[6] == '/'))
            relative.erase(0, relative.size() == 6 ? 6 : 7);
        if (!relative.empty() && relative.back() != '/')
            relative += '/';
    }

    TFolderScan scan;
    if (!scan.Open(folder.c_str())) {
        int error = scan.LastError();
        if (error != ENOENT && error != ENOTDIR)
            WriteLog("Asset scan: cannot list %s: %s", folder.c_str(), std::strerror(error));
        return;
    }
    struct Entry {
        std::string name;
        std::string lower;
        bool isFolder;
    };
    std::vector<Entry> entries;
    TString name;
    bool isFolder = false;
    while (scan.Next(name, &isFolder)) {
        std::string real = ToStd(name);
        entries.push_back(Entry{real, MakeKey(real), isFolder});
    }
    // A fixed order, so that which of two same-named files wins does not
    // depend on the file system.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.lower != b.lower ? a.lower < b.lower : a.name < b.name;
    });

    if (haveId)
        parents.push_back(id);
    for (const Entry& entry : entries) {
        std::string key = keyPrefix + relative + entry.lower;
        std::string path = JoinPath(folder, entry.name);
        {
            std::lock_guard<std::mutex> hold(reg.lock);
            if (reg.excluded.count(key))
                continue;
            if (!entry.isFolder) {
                reg.files[key] = path;
                continue;
            }
        }
        if (prefix.empty())
            ScanTree(path, std::string(), depth + 1, parents);
        else
            ScanTree(path, keyPrefix + entry.lower + "/", depth + 1, parents);
    }
    if (haveId)
        parents.pop_back();
}

// Copies `text` and its NUL into the buffer when it fits. Returns 0, or the
// buffer size needed.
int CopyOut(const std::string& text, char* buffer, uint32_t size)
{
    uint64_t needed = static_cast<uint64_t>(text.size()) + 1;
    if (needed > size)
        return needed > 0x7fffffff ? 0x7fffffff : static_cast<int>(needed);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
}

} // namespace

TString ResolveAssetPath(const TString& name, bool mustExist)
{
    AssetRegistry& reg = Registry();
    std::lock_guard<std::mutex> hold(reg.lock);
    std::string original = ToStd(name);
    // "assets/" in front of a name is the same as the name alone.
    for (;;) {
        std::string key = MakeKey(original);
        auto found = reg.files.find(key);
        if (found != reg.files.end() && !found->second.empty())
            return ToT(found->second);

        if (StartsWith(key, "::")) {
            // The path itself, in its own case; it must be a readable file
            // whatever the caller asked.
            std::string path = original.substr(2);
            ToSlashes(path);
            return OsIsReadableFile(path) ? ToT(path) : TString();
        }

        if (mustExist && reg.excluded.count(key))
            return TString();

        static const char* const kRootPrefixes[] = {"user:", "common:", "desktop:"};
        for (int root = 0; root < 3; ++root) {
            const char* prefix = kRootPrefixes[root];
            if (!StartsWith(key, prefix))
                continue;
            const std::string& folder = reg.roots[root];
            if (folder.empty())
                return TString(); // folders not set yet
            std::string path = JoinPath(folder, key.substr(std::strlen(prefix)));
            if (mustExist && !OsCanReadWrite(path))
                return TString();
            reg.files[key] = path;
            return ToT(path);
        }

        if (StartsWith(key, "assets/")) {
            original.erase(0, 7);
            continue;
        }
        return TString();
    }
}

bool AssetExists(const TString& name)
{
    return !ResolveAssetPath(name, true).IsEmpty();
}

void RegisterMemoryFile(const TString& name, const void* buffer, uint32_t size)
{
    std::string key = MakeKey(ToStd(name));
    AssetRegistry& reg = Registry();
    std::lock_guard<std::mutex> hold(reg.lock);
    if (!buffer) {
        reg.files.erase(key);
        return;
    }
    char locator[64];
    std::snprintf(locator, sizeof locator, "&%" PRIuPTR ",%" PRIu32,
                  reinterpret_cast<uintptr_t>(buffer), size);
    reg.files[key] = locator;
}

void RegisterAssetFile(const TString& key, const TString& resolved)
{
    std::string k = MakeKey(ToStd(key));
    AssetRegistry& reg = Registry();
    std::lock_guard<std::mutex> hold(reg.lock);
    if (resolved.IsEmpty())
        reg.files.erase(k);
    else
        reg.files[k] = ToStd(resolved);
}

void SetAssetFolders(const TString& user, const TString& common, const TString& desktop)
{
    AssetRegistry& reg = Registry();
    std::lock_guard<std::mutex> hold(reg.lock);
    reg.roots[0] = ToStd(user);
    reg.roots[1] = ToStd(common);
    reg.roots[2] = ToStd(desktop);
    reg.userFolder = user;
    reg.commonFolder = common;
    reg.desktopFolder = desktop;
}

const TString& GetUserFolder()
{
    return Registry().userFolder;
}

const TString& GetCommonFolder()
{
    return Registry().commonFolder;
}

const TString& GetDesktopFolder()
{
    return Registry().desktopFolder;
}

void SetFirstPeek(bool on)
{
    Registry().firstPeek = on;
}

void LoadAssetManifest()
{
    AssetRegistry& reg = Registry();
    const char* manifest = reg.firstPeek ? "firstpeek.txt" : "final.txt";
    if (FILE* f = std::fopen(manifest, "rb")) {
        long size = -1;
        if (std::fseek(f, 0, SEEK_END) == 0)
            size = std::ftell(f);
        if (size >= 0 && size < kMaxManifestSize && std::fseek(f, 0, SEEK_SET) == 0) {
            std::vector<char> text(static_cast<size_t>(size) + 1);
            size_t got = std::fread(text.data(), 1, static_cast<size_t>(size), f);
            text[got] = 0;
            ParseManifest(text.data(), true);
        } else if (size >= kMaxManifestSize) {
            WriteLog("Manifest %s ignored: %ld bytes", manifest, size);
        } else {
            WriteLog("Manifest %s could not be read", manifest);
        }
        std::fclose(f);
    }

    ScanAssetFolder("assets", TString());
    if (!reg.userFolder.IsEmpty())
        ScanAssetFolder(reg.userFolder, "user:");
    if (!reg.commonFolder.IsEmpty())
        ScanAssetFolder(reg.commonFolder, "common:");
}

void ScanAssetFolder(const TString& folder, const TString& prefix)
{
    if (folder.IsEmpty())
        return;
    std::vector<FolderId> parents;
    ScanTree(ToStd(folder), ToStd(prefix), 0, parents);
}

bool ParseManifest(const char* text, bool add)
{
    if (!text)
        return false;
    AssetRegistry& reg = Registry();
    std::lock_guard<std::mutex> hold(reg.lock);
    std::set<std::string>& excluded = reg.excluded;
    bool reset = false;
    const char* p = text;
    for (;;) {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
            ++p;
        if (!*p)
            break;
        const char* start = p;
        while (*p && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r')
            ++p;
        std::string word = MakeKey(std::string(start, static_cast<size_t>(p - start)));
        if (word == "-*") {
            excluded.clear();
            reset = true;
        } else if (add) {
            excluded.insert(word);
        } else {
            excluded.erase(word);
        }
    }
    return reset;
}

bool NotInManifest(const TString& name)
{
    AssetRegistry& reg = Registry();
    std::lock_guard<std::mutex> hold(reg.lock);
    return reg.excluded.count(MakeKey(ToStd(name))) == 0;
}

bool FindRegisteredFile(const TString& prefix, TString& name, bool includeSubfolders)
{
    AssetRegistry& reg = Registry();
    std::lock_guard<std::mutex> hold(reg.lock);
    const std::map<std::string, std::string>& files = reg.files;
    std::string lowerPrefix = MakeKey(ToStd(prefix));
    std::string given = MakeKey(ToStd(name));

    auto it = files.lower_bound(given.empty() ? lowerPrefix : given);
    if (it != files.end() && !given.empty() && it->first == given)
        ++it;
    if (!includeSubfolders) {
        // The search for "/" starts one character after the prefix.
        size_t from = lowerPrefix.size() + 1;
        while (it != files.end() && it->first.size() > from &&
               it->first.find('/', from) != std::string::npos)
            ++it;
    }
    if (it == files.end() || !StartsWith(it->first, lowerPrefix.c_str()))
        return false;
    name = ToT(it->first);
    return true;
}

void ClearRegisteredFiles()
{
    AssetRegistry& reg = Registry();
    std::lock_guard<std::mutex> hold(reg.lock);
    reg.files.clear();
}

int GetAppDataFolder(bool common, const char* gameFolder, char* buffer, uint32_t size)
{
    // There is no per-machine folder that ordinary users may write, so the
    // common folder is the user folder.
    (void)common;
    if (!gameFolder || !buffer)
        return -1;
    std::string base = OsUserDataHome();
    if (base.empty())
        return -1;

    std::string game = gameFolder;
    std::replace(game.begin(), game.end(), '/', '_');
    if (game == "." || game == "..")
        game = "_";
    std::string dunmere = JoinPath(base, "Dunmere/");
    std::string full = game.empty() ? dunmere : dunmere + game + "/";
    if (static_cast<uint64_t>(size) < full.size() + 1)
        return CopyOut(full, buffer, size);

    if (!OsMakeFolders(base) || !OsMakeFolder(dunmere) || !OsMakeFolder(full)) {
        WriteLog("Cannot create the folder %s", full.c_str());
        return -1;
    }
    return CopyOut(full, buffer, size);
}

int GetDesktopPath(char* buffer, uint32_t size)
{
    if (!buffer)
        return -1;
    std::string desktop = OsDesktopFolder();
    if (desktop.empty())
        return -1;
    return CopyOut(JoinPath(desktop, ""), buffer, size);
}

TString GetFullPath(const TString& path)
{
    std::string p = ToStd(path);
    ToSlashes(p);
    return ToT(OsFullPath(p));
}
