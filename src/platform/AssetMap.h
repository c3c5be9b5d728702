#pragma once

#include <functional>
#include <map>
#include <memory>

#include "platform/Asset.h"
#include "platform/TString.h"

class TSound;

// Cache of assets of any kind by name for a game screen. It keeps what it
// loaded alive until it is destroyed.
class TAssetMap {
public:
    // Makes the asset of a name, or returns empty when the name is not of
    // its kind.
    using TLoader = std::function<std::shared_ptr<TAsset>(const TString& name)>;

    // Loader slots, tried in this order. The texture, model and sound
    // subsystems register theirs at start-up.
    enum : int { kTextureLoader = 0, kModelLoader = 1, kSoundLoader = 2 };

    // Sets the loader of a slot; an empty function clears it.
    static void RegisterLoader(int order, TLoader loader);
    static void ClearLoaders();

    TAssetMap() = default;
    virtual ~TAssetMap();
    TAssetMap(const TAssetMap&) = delete;
    TAssetMap& operator=(const TAssetMap&) = delete;

    // "\" in the name counts as "/". A cached asset, else the first loader's
    // result, which is then cached; empty (and nothing cached) when no
    // loader knows the name.
    std::shared_ptr<TAsset> GetAsset(const TString& name);

    // GetAsset, accepted only when it is a Sound (by Sound::ClassId); else
    // logs "Sound asset not found: %s" and returns empty. A non-sound asset
    // stays cached.
    template <class Sound = TSound>
    std::shared_ptr<Sound> GetSound(const TString& name)
    {
        return std::static_pointer_cast<Sound>(GetAssetOfKind(name, Sound::ClassId));
    }

    // GetAsset for each name of a null-terminated list, in order.
    void Preload(const char* const* names);

private:
    std::shared_ptr<TAsset> GetAssetOfKind(const TString& name, TAssetClassId soundClass);

    std::map<TString, std::shared_ptr<TAsset>> mAssets;
};
