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
    m_assets[name] = asset;
}

std::shared_ptr<TAsset> TAssetManager::Find(const TString& name) const
{
    const auto found = m_assets.find(name);
    return found == m_assets.end() ? nullptr : found->second.lock();
}

void TAssetManager::Remove(const TString& name)
{
    m_assets.erase(name);
}

// Both walks look the next entry up by name after each call, so an asset
// that adds or removes entries from Release or Restore cannot break them.
void TAssetManager::ReleaseAll()
{
    auto it = m_assets.begin();
    while (it != m_assets.end()) {
        const std::shared_ptr<TAsset> asset = it->second.lock();
        if (!asset) {
            it = m_assets.erase(it);
            continue;
        }
        const TString name = it->first;
        asset->Release();
        it = m_assets.upper_bound(name);
    }
}

void TAssetManager::RestoreAll()
{
    auto it = m_assets.begin();
    while (it != m_assets.end()) {
        const std::shared_ptr<TAsset> asset = it->second.lock();
        const TString name = it->first;
        if (asset)
            asset->Restore();
        it = m_assets.upper_bound(name);
    }
}
