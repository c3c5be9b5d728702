// Feeds arbitrary bytes to the pack reader as a pack file on disk, then opens
// and reads every entry it registered.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/AssetNames.h"
#include "platform/File.h"
#include "platform/PackFile.h"

namespace {

// The pack lives in an unlinked temporary file, named through /proc so that
// nothing is left behind however the fuzzer exits.
int g_fd = -1;
std::string g_path;

bool WritePack(const uint8_t* data, size_t size)
{
    if (g_fd < 0) {
        char pattern[] = "/tmp/fuzz_pack-XXXXXX";
        g_fd = mkstemp(pattern);
        if (g_fd < 0)
            abort();
        unlink(pattern);
        g_path = "/proc/self/fd/" + std::to_string(g_fd);
    }
    if (ftruncate(g_fd, 0) != 0)
        return false;
    size_t done = 0;
    while (done < size) {
        ssize_t n = pwrite(g_fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void ReadEntry(const TString& name, int mode)
{
    TFileHandle* file = OpenAssetFile(name, mode);
    if (!file)
        return;
    char buffer[512];
    uint32_t size = FileGetSize(file);
    uint32_t total = 0;
    if (mode == kFileReadText) {
        while (FileGets(file, buffer, sizeof buffer) && total++ < size + 1) {
        }
    } else {
        while (uint32_t got = FileRead(file, buffer, sizeof buffer)) {
            total += got;
            if (total > size)
                abort(); // more bytes than the entry holds
        }
        FileSeek(file, -1, kSeekEnd);
        FileGetc(file);
    }
    FileClose(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!WritePack(data, size))
        return 0;

    ClearRegisteredFiles();
    UnmountFlatFiles();
    AddFlatFile(TString(("::" + g_path).c_str()));

    TString name;
    int mode = 0;
    while (FindRegisteredFile("", name, true))
        ReadEntry(name, (mode++ & 1) ? kFileReadText : kFileReadBinary);
    return 0;
}
