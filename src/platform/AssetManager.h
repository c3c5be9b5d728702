#pragma once

#include <cstddef>
#include <map>
#include <memory>

#include "platform/Asset.h"
#include "platform/TString.h"

// Registry of the live assets by exact name. It holds weak references only,
// so loading a name twice gives the same object while that object lives.
class TAssetManager {
public:
    TAssetManager() = default;
    virtual ~TAssetManager();
    TAssetManager(const TAssetManager&) = delete;
    TAssetManager& operator=(const TAssetManager&) = delete;

    // Replaces any entry of that name.
    void Add(const TString& name, const std::shared_ptr<TAsset>& asset);
    // The asset while it lives; empty otherwise. A miss adds no entry.
    std::shared_ptr<TAsset> Find(const TString& name) const;
    void Remove(const TString& name);

    // In name order: Release every live asset and erase the dead entries.
    void ReleaseAll();
    // In name order: Restore every live asset; dead entries are skipped.
    void RestoreAll();

    // Entries, dead ones included.
    size_t GetEntryCount() const { return mAssets.size(); }

private:
    std::map<TString, std::weak_ptr<TAsset>> mAssets;
};

// The application's asset manager; null before the application sets one.
// The application owns it.
TAssetManager* GetAssetManager();
void SetAssetManager(TAssetManager* manager);
