#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/TString.h"

class TEncryptor;

// Per-user preferences: text values under text keys, kept in
// "user:prefs.dat". Slot 0 is shared by all users and addressed as user -1;
// user u lives in slot u + 1.
//
// The file is a sequence of chunks: a four-character tag, a little-endian
// 32-bit payload length (1 to 4,194,304) and the payload. "USER" (plain)
// holds the 16-bit index of the slot the following chunks belong to;
// "KVPR" (enciphered with the "encryptionkey" setting) holds a 16-bit
// n = key length + 1, the key and its NUL, then the value and its NUL.
class TPrefs {
public:
    static constexpr uint32_t kMaxPayload = 4194304;
    static constexpr int kMaxSlot = 1024;

    // Sets the cipher up from the "encryptionkey" setting and loads the file.
    // Without `saveEnabled` nothing is ever written.
    explicit TPrefs(bool saveEnabled);
    // Does not save.
    ~TPrefs();
    TPrefs(const TPrefs&) = delete;
    TPrefs& operator=(const TPrefs&) = delete;

    // The key's text in the user's slot, or `def` when the slot or the key
    // does not exist.
    TString GetString(const TString& key, const TString& def, int user) const;
    void GetString(TString& value, const TString& key, const TString& def, int user) const;
    // atoi of GetString with the default formatted "%d".
    int GetInt(const TString& key, int def, int user) const;

    // Adds empty slots up to the user's; saves at once when `saveNow`.
    // Refused (and logged) for users below -1 or above the last slot the
    // file can hold, and for entries too long for one chunk.
    void SetString(const TString& key, const TString& value, int user, bool saveNow);
    void SetInt(const TString& key, int value, int user, bool saveNow);

    // Number of user slots (the shared slot not counted).
    int GetUserCount() const;
    // Removes user `user` (slot user + 1) when 0 <= user < GetUserCount();
    // the later users move down by one. The shared slot is never removed.
    void DeleteUser(int user);

    // Writes the whole store to a temporary file, syncs it and renames it
    // over the old file. False when nothing was written (save disabled, or
    // an error, which is logged). A file that did not load whole is first
    // kept as "prefs.dat.bad" (once per load), so that the part that could
    // not be read is not lost with it.
    bool Save();

    // True when the file was there but did not load whole.
    bool IsDamaged() const { return mDamaged; }

    // Called by Save after the temporary file is complete and synced, just
    // before it replaces the old file; returning false abandons the save
    // there, as a crash would. For tests; null removes it.
    using TCommitHook = bool (*)();
    static void SetCommitHook(TCommitHook hook);

private:
    using TSlot = std::map<std::string, std::string>;  // value bytes include the NUL

    void Load();
    std::vector<uint8_t> BuildFile() const;
    // Keeps the file at `path` under the damaged-file name (logged).
    void KeepDamagedFile(const TString& path) const;

    std::unique_ptr<TEncryptor> mCipher;
    std::vector<TSlot> mSlots;
    TString mFileName;
    bool mSaveEnabled;
    bool mDamaged = false;
};
