#include "platform/AssetManager.h"

namespace {

TAssetManager* g_assetManager = nullptr;

}  // namespace

TAssetManager* GetAssetManager()
{
    return g_assetManager;
}

void SetAssetManager(TAssetManager* manager)
{
    g_assetManager = manager;
}

TAssetManager::~TAssetManager() = default;

void TAssetManager::Add(const TString& name, const std::shared_ptr<TAsset>& asset)
{
    mAssets[name] = asset;
}

std::shared_ptr<TAsset> TAssetManager::Find(const TString& name) const
{
    const auto found = mAssets.find(name);
    return found == mAssets.end() ? nullptr : found->second.lock();
}

void TAssetManager::Remove(const TString& name)
{
    mAssets.erase(name);
}

// Both walks look the next entry up by name after each call, so an asset
// that adds or removes entries from Release or Restore cannot break them.
void TAssetManager::ReleaseAll()
{
    auto it = mAssets.begin();
    while (it != mAssets.end()) {
        const std::shared_ptr<TAsset> asset = it->second.lock();
        if (!asset) {
            it = mAssets.erase(it);
            continue;
        }
        const TString name = it->first;
        asset->Release();
        it = mAssets.upper_bound(name);
    }
}

void TAssetManager::RestoreAll()
{
    auto it = mAssets.begin();
    while (it != mAssets.end()) {
        const std::shared_ptr<TAsset> asset = it->second.lock();
        const TString name = it->first;
        if (asset)
            asset->Restore();
        it = mAssets.upper_bound(name);
    }
}
