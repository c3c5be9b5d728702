#pragma once

#include <cstdint>
#include <memory>

#include "os/system/FileMapping.h"
#include "platform/TString.h"

// A read-only memory mapping of one whole file.
class TFileMapData {
public:
    TFileMapData() = default;
    ~TFileMapData() { Close(); }
    TFileMapData(const TFileMapData&) = delete;
    TFileMapData& operator=(const TFileMapData&) = delete;

    // `name` is "::" and a disk path, or an asset name that resolves to a
    // file on disk. False (nothing open) when it cannot be mapped.
    bool Open(const TString& name);
    void Close() { mMapping.Close(); }
    // Null when nothing is mapped.
    const uint8_t* GetData() const { return mMapping.Data(); }
    uint64_t GetSize() const { return mMapping.Size(); }

private:
    OsFileMapping mMapping;
};

// One mounted pack: its mapping and the name it was mounted under.
class TFileMapHandler {
public:
    TFileMapHandler() = default;
    virtual ~TFileMapHandler() = default;

    // Stores the name and maps the file.
    bool Open(const TString& name);
    // Lets go of the mapping (it closes with its last shared pointer); the
    // handler and its name stay.
    void Close() { mData.reset(); }
    const std::shared_ptr<TFileMapData>& GetMapData() const { return mData; }
    const uint8_t* GetData() const;
    uint64_t GetSize() const;
    const TString& GetName() const { return mName; }

private:
    std::shared_ptr<TFileMapData> mData;
    TString mName;
};

// Mounts every pack (".dnp") found in `folder` (files only).
void MountFlatFiles(const TString& folder);
// Mounts one pack named by an asset name and registers its entries as
// "@index:offset,size". False when the pack was not read.
bool AddFlatFile(const TString& name);

// View of a mounted pack for the file interface. False when index is outside
// the pack list; true with *data null when that pack's mapping is missing.
bool GetFlatFileView(int index, const uint8_t** data, uint64_t* size);

// Number of packs in the pack list.
int GetFlatFileCount();

// Unmaps every pack and empties the pack list, so indices start again at 0.
// For shut-down and tests only: no pack entry may be open, and the entries
// registered from the packs must be cleared too (ClearRegisteredFiles).
void UnmountFlatFiles();
