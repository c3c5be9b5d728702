#include "platform/Prefs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/AssetNames.h"
#include "platform/Encryptor.h"
#include "platform/File.h"
#include "platform/Log.h"
#include "platform/Settings.h"

namespace {

constexpr uint32_t kChunkHeader = 8;
constexpr uint32_t kMaxKeyLength = 0xFFFF - 1;  // n = length + 1 must fit 16 bits

TPrefs::TCommitHook g_commitHook = nullptr;

uint16_t ReadU16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void AppendU16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void AppendU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

// Enciphered size of a plain payload: rounded down to a block, plus a block.
uint64_t CipherLength(uint64_t plain)
{
    return plain / 8 * 8 + 8;
}

bool IsDiskPath(const TString& path)
{
    return !path.IsEmpty() && path[0] != '@' && path[0] != '&';
}

// Flushes a written file's data to the disk.
bool SyncPath(const char* path, bool folder)
{
    const int fd = open(path, folder ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

TPrefs::TPrefs(bool saveEnabled)
    : mFileName("user:prefs.dat")
    , mSaveEnabled(saveEnabled)
{
    const TString key = GetConfig("encryptionkey");
    if (key.IsEmpty())
        WriteLog("ERROR: No encryption key set before TPrefs construction!");
    mCipher = std::make_unique<TEncryptor>(key);
    Load();
}

TPrefs::~TPrefs() = default;

void TPrefs::SetCommitHook(TCommitHook hook)
{
    g_commitHook = hook;
}

void TPrefs::Load()
{
    mSlots.clear();
    TFileHandle* file = OpenAssetFile(mFileName, 0);
    if (!file)
        return;

    const uint64_t size = FileGetSize(file);
    uint64_t offset = 0;
    int current = -1;
    bool orphanLogged = false;
    bool cleanEnd = false;
    std::vector<uint8_t> payload, plain;

    // Every stop below keeps what was read before it.
    for (;;) {
        uint8_t header[kChunkHeader];
        const uint32_t got = FileRead(file, header, kChunkHeader);
        if (got == 0) {
            cleanEnd = true;
            break;
        }
        if (got < kChunkHeader) {
            WriteLog("TPrefs: %s ends inside a chunk header at %llu", mFileName.c_str(),
                     (unsigned long long)offset);
            break;
        }
        offset += kChunkHeader;
        char tag[5] = {char(header[0]), char(header[1]), char(header[2]), char(header[3]), 0};
        const uint32_t length = ReadU32(header + 4);
        if (length == 0 || length > kMaxPayload) {
            WriteLog("TPrefs: %s has a chunk of length %u at %llu", mFileName.c_str(), length,
                     (unsigned long long)(offset - kChunkHeader));
            break;
        }
        if (length > size - std::min(size, offset)) {
            WriteLog("TPrefs: %s is cut short inside a chunk at %llu", mFileName.c_str(),
                     (unsigned long long)(offset - kChunkHeader));
            break;
        }
        payload.resize(length);
        if (FileRead(file, payload.data(), length) != length) {
            WriteLog("TPrefs: %s is cut short inside a chunk at %llu", mFileName.c_str(),
                     (unsigned long long)(offset - kChunkHeader));
            break;
        }
        offset += length;

        uint32_t plainLength = length;
        const uint8_t* data = payload.data();
        if (tag[0] != 'U') {
            plain.resize(length);
            mCipher->Decrypt(payload.data(), length, plain.data(), length, false);
            plainLength = mCipher->GetLastLength();
            data = plain.data();
            // A writer's chunk is always longer than its plain payload; one
            // that is not could not be written back within the length limit.
            if (plainLength == 0 || CipherLength(plainLength) > kMaxPayload) {
                WriteLog("TPrefs: %s has a chunk that does not decipher at %llu", mFileName.c_str(),
                         (unsigned long long)(offset - length - kChunkHeader));
                break;
            }
        }

        if (std::strcmp(tag, "USER") == 0) {
            const int index = plainLength >= 2 ? ReadU16(data) : -1;
            if (index < 0 || index > kMaxSlot) {
                WriteLog("TPrefs: %s has a bad user chunk (slot %d)", mFileName.c_str(), index);
                break;
            }
            current = index;
            if (mSlots.size() < size_t(index) + 1)
                mSlots.resize(size_t(index) + 1);
        } else if (std::strcmp(tag, "KVPR") == 0) {
            const uint32_t n = plainLength >= 2 ? ReadU16(data) : 0;
            const uint8_t* key = data + 2;
            // The key must end inside its n bytes, the value inside the rest.
            const bool keyFits = plainLength >= 2 + n && std::memchr(key, 0, n);
            const uint8_t* value = keyFits ? key + n : key;
            const uint32_t valueLength = keyFits ? plainLength - 2 - n : 0;
            if (!keyFits || !std::memchr(value, 0, valueLength)) {
                WriteLog("TPrefs: %s has a damaged entry", mFileName.c_str());
                break;
            }
            if (current < 0) {
                // No writer puts an entry before the first slot; skip it.
                if (!orphanLogged)
                    WriteLog("TPrefs: %s has entries outside any slot; ignored", mFileName.c_str());
                orphanLogged = true;
                continue;
            }
            mSlots[current][std::string(reinterpret_cast<const char*>(key))] =
                std::string(reinterpret_cast<const char*>(value), valueLength);
        } else {
            for (int i = 0; i < 4; ++i)
                if (tag[i] < 0x20 || tag[i] > 0x7E)
                    tag[i] = '?';
            WriteLog("TPrefs: %s has an unknown chunk \"%.4s\"", mFileName.c_str(), tag);
            break;
        }
    }
    FileClose(file);
    mDamaged = !cleanEnd || orphanLogged;
}

TString TPrefs::GetString(const TString& key, const TString& def, int user) const
{
    const int slot = user + 1;
    if (slot < 0 || size_t(slot) >= mSlots.size())
        return def;
    const auto found = mSlots[slot].find(key.c_str());
    if (found == mSlots[slot].end())
        return def;
    return TString(found->second.c_str());
}

void TPrefs::GetString(TString& value, const TString& key, const TString& def, int user) const
{
    value = GetString(key, def, user);
}

int TPrefs::GetInt(const TString& key, int def, int user) const
{
    return std::atoi(GetString(key, StrFormat("%d", def), user).c_str());
}

void TPrefs::SetString(const TString& key, const TString& value, int user, bool saveNow)
{
    const int slot = user + 1;
    if (slot < 0 || slot > kMaxSlot) {
        WriteLog("TPrefs: user %d is out of range; \"%s\" not stored", user, key.c_str());
        return;
    }
    const uint64_t keyLength = key.Length();
    const uint64_t plain = 2 + keyLength + 1 + value.Length() + 1;
    if (keyLength > kMaxKeyLength || CipherLength(plain) > kMaxPayload) {
        WriteLog("TPrefs: key or value too long (%llu, %u bytes); not stored", (unsigned long long)keyLength,
                 value.Length());
        return;
    }
    if (mSlots.size() <= size_t(slot))
        mSlots.resize(size_t(slot) + 1);
    mSlots[slot][key.c_str()] = std::string(value.c_str(), value.Length() + 1);
    if (saveNow)
        Save();
}

void TPrefs::SetInt(const TString& key, int value, int user, bool saveNow)
{
    SetString(key, StrFormat("%d", value), user, saveNow);
}

int TPrefs::GetUserCount() const
{
    return mSlots.empty() ? 0 : int(mSlots.size() - 1);
}

void TPrefs::DeleteUser(int user)
{
    if (user < 0 || user >= GetUserCount())
        return;
    mSlots.erase(mSlots.begin() + (user + 1));
}

std::vector<uint8_t> TPrefs::BuildFile() const
{
    std::vector<uint8_t> out, plain, cipher;
    for (size_t slot = 0; slot < mSlots.size(); ++slot) {
        out.insert(out.end(), {'U', 'S', 'E', 'R'});
        AppendU32(out, 2);
        AppendU16(out, uint32_t(slot));
        for (const auto& [key, value] : mSlots[slot]) {
            plain.clear();
            AppendU16(plain, uint32_t(key.size() + 1));
            plain.insert(plain.end(), key.begin(), key.end());
            plain.push_back(0);
            plain.insert(plain.end(), value.begin(), value.end());
            const uint32_t length = uint32_t(CipherLength(plain.size()));
            cipher.resize(length);
            mCipher->Encrypt(plain.data(), uint32_t(plain.size()), cipher.data(), length, false);
            out.insert(out.end(), {'K', 'V', 'P', 'R'});
            AppendU32(out, length);
            out.insert(out.end(), cipher.begin(), cipher.end());
        }
    }
    return out;
}

bool TPrefs::Save()
{
    if (!mSaveEnabled)
        return false;

    const std::vector<uint8_t> bytes = BuildFile();
    const TString tempName = mFileName + ".tmp";
    const TString tempPath = ResolveAssetPath(tempName, false);
    const TString path = ResolveAssetPath(mFileName, false);
    if (!IsDiskPath(tempPath) || !IsDiskPath(path)) {
        WriteLog("TPrefs: %s is not a file on disk; not saved", mFileName.c_str());
        return false;
    }

    TFileHandle* file = OpenAssetFile(tempName, 2);
    if (!file) {
        WriteLog("TPrefs: could not open %s for writing", tempPath.c_str());
        return false;
    }
    const uint32_t size = uint32_t(bytes.size());
    const uint32_t written = size ? FileWrite(file, bytes.data(), size) : 0;
    FileClose(file);
    if (written != size || !SyncPath(tempPath.c_str(), false)) {
        WriteLog("TPrefs: could not write %s; %s left as it was", tempPath.c_str(), path.c_str());
        std::remove(tempPath.c_str());
        return false;
    }

    if (g_commitHook && !g_commitHook())
        return false;

    if (mDamaged)
        KeepDamagedFile(path);

    if (std::rename(tempPath.c_str(), path.c_str()) != 0) {
        WriteLog("TPrefs: could not replace %s", path.c_str());
        std::remove(tempPath.c_str());
        return false;
    }
    SyncPath(FolderOf(path.c_str()).c_str(), true);
    mDamaged = false;
    return true;
}

void TPrefs::KeepDamagedFile(const TString& path) const
{
    const TString keptPath = ResolveAssetPath(mFileName + ".bad", false);
    if (!IsDiskPath(keptPath))
        return;
    // A second name for the old file; the rename then replaces only the first.
    std::remove(keptPath.c_str());
    if (link(path.c_str(), keptPath.c_str()) != 0) {
        WriteLog("TPrefs: could not keep the damaged %s as %s", path.c_str(), keptPath.c_str());
        return;
    }
    SyncPath(FolderOf(keptPath.c_str()).c_str(), true);
    WriteLog("TPrefs: the damaged %s is kept as %s", path.c_str(), keptPath.c_str());
}
