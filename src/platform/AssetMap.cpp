#include "platform/AssetMap.h"

#include "platform/Log.h"

namespace {

std::map<int, TAssetMap::TLoader>& Loaders()
{
    static std::map<int, TAssetMap::TLoader> loaders;
    return loaders;
}

}  // namespace

void TAssetMap::RegisterLoader(int order, TLoader loader)
{
    if (loader)
        Loaders()[order] = std::move(loader);
    else
        Loaders().erase(order);
}

void TAssetMap::ClearLoaders()
{
    Loaders().clear();
}

TAssetMap::~TAssetMap() = default;

std::shared_ptr<TAsset> TAssetMap::GetAsset(const TString& name)
{
    TString key = name;
    key.Replace("\\", "/", TString::kAll);

    const auto cached = mAssets.find(key);
    if (cached != mAssets.end())
        return cached->second;

    for (const auto& [order, loader] : Loaders()) {
        std::shared_ptr<TAsset> asset = loader(key);
        if (asset) {
            mAssets[key] = asset;
            return asset;
        }
    }
    return nullptr;
}

std::shared_ptr<TAsset> TAssetMap::GetAssetOfKind(const TString& name, TAssetClassId soundClass)
{
    std::shared_ptr<TAsset> asset = GetAsset(name);
    if (!asset || !asset->IsKindOf(soundClass)) {
        WriteLog("Sound asset not found: %s", name.c_str());
        return nullptr;
    }
    return asset;
}

void TAssetMap::Preload(const char* const* names)
{
    if (!names)
        return;
    for (; *names; ++names)
        GetAsset(*names);
}
