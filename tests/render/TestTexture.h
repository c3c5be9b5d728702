#pragma once
// Textures for tests of the display layer: a texture reference whose data is
// a TDxTextureData, without the texture class. The pointer handed around as
// the texture is the holder's; only the resolver installed here reads it.

#include <cstdint>
#include <memory>
#include <vector>

#include "render/TextureData.h"
#include "render/TextureRef.h"

struct TTestTexture {
    std::unique_ptr<TDxTextureData> data = std::make_unique<TDxTextureData>();
};

inline TTextureData* ResolveTestTexture(const TTexture* texture)
{
    return texture ? reinterpret_cast<const TTestTexture*>(texture)->data.get() : nullptr;
}

inline TTextureRef WrapTestTexture(std::shared_ptr<TTestTexture> holder)
{
    SetTextureDataResolver(ResolveTestTexture);
    TTexture* pointer = reinterpret_cast<TTexture*>(holder.get());
    return TTextureRef(std::move(holder), pointer);
}

// A texture of width x height filled with argb; its surface is made on the
// display layer's device (so a mode must be set). Without a surface the
// reference is still returned (as a texture whose surface is missing).
inline TTextureRef MakeTestTexture(uint32_t width, uint32_t height, uint32_t argb = 0xFF808080u,
                                   bool alpha = true)
{
    auto holder = std::make_shared<TTestTexture>();
    holder->data->SetFlag(TTextureData::kAlpha, alpha);
    holder->data->SetFlag(TTextureData::kSimple, true);
    if (holder->data->CreateSurface(width, height)) {
        std::vector<uint32_t> pixels(size_t(width) * height, argb);
        holder->data->CopyPixels(width, height, pixels.data());
    }
    return WrapTestTexture(std::move(holder));
}

// The data behind a test texture.
inline TDxTextureData* TestTextureData(const TTextureRef& texture)
{
    return static_cast<TDxTextureData*>(ResolveTestTexture(texture.get()));
}
