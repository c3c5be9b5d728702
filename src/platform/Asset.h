#pragma once

#include <memory>

// Identifies an asset class for IsKindOf. Each class declares
//     static const TAssetClassId ClassId;
// and defines it as its own address:
//     const TAssetClassId TTexture::ClassId = &TTexture::ClassId;
using TAssetClassId = const void*;

// Base of every loadable thing (textures, models, sounds, script code),
// always held by shared pointers.
class TAsset : public std::enable_shared_from_this<TAsset> {
public:
    static const TAssetClassId ClassId;

    TAsset() = default;
    TAsset(const TAsset&) = delete;
    TAsset& operator=(const TAsset&) = delete;

    virtual const char* GetClassName() const;
    // True for this class's id or one of its bases' ids.
    virtual bool IsKindOf(TAssetClassId id) const;
    virtual ~TAsset();
    // Free device resources (before a device restore).
    virtual void Release();
    // Rebuild them (after the device is back).
    virtual void Restore();
};
