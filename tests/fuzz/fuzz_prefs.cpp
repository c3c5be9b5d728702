// Arbitrary bytes as "user:prefs.dat": loaded, read, and, when the store
// took something, saved and loaded again, which must give the same file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/AssetNames.h"
#include "platform/Prefs.h"
#include "platform/Settings.h"

namespace {

std::string g_folder;
std::string g_file;

void CleanUp()
{
    std::remove(g_file.c_str());
    std::remove((g_file + ".tmp").c_str());
    std::remove(g_folder.c_str());
}

void SetUpOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    char folder[] = "/tmp/fuzzprefsXXXXXX";
    if (!mkdtemp(folder))
        std::abort();
    SetAssetFolders(folder, folder, folder);
    SetConfig("encryptionkey", "Qu1LLoRyQRRR");
    g_folder = folder;
    g_file = g_folder + "/prefs.dat";
    std::atexit(CleanUp);
}

void WriteFile(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(g_file.c_str(), "wb");
    if (!f)
        std::abort();
    if (size && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
}

std::vector<uint8_t> ReadFile()
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(g_file.c_str(), "rb");
    if (!f)
        std::abort();
    int c;
    while ((c = std::fgetc(f)) != EOF)
        bytes.push_back(uint8_t(c));
    std::fclose(f);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUpOnce();
    WriteFile(data, size);

    TPrefs prefs(true);
    const int users = prefs.GetUserCount();
    if (users < 0 || users > TPrefs::kMaxSlot)
        std::abort();
    for (int user = -1; user <= users; ++user) {
        (void)prefs.GetString("curuser", "", user).Length();
        (void)prefs.GetInt("Earnings", 0, user);
        (void)prefs.GetString("", "default", user);
    }
    if (users == 0)
        return 0;

    // What was read must survive a save and a reload unchanged.
    if (!prefs.Save())
        std::abort();
    const std::vector<uint8_t> first = ReadFile();
    TPrefs again(true);
    if (again.GetUserCount() != users || !again.Save() || ReadFile() != first)
        std::abort();
    return 0;
}
