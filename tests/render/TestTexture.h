#pragma once
// Textures for tests of the display layer: real textures whose surface is
// made on the display layer's device and filled with one colour.

#include <cstdint>
#include <memory>
#include <vector>

#include "render/Texture.h"
#include "render/TextureData.h"
#include "render/TextureRef.h"

// A texture of width x height filled with argb; its surface is made on the
// display layer's device (so a mode must be set). Without a surface the
// texture is still returned (as a texture whose surface is missing).
inline TTextureRef MakeTestTexture(uint32_t width, uint32_t height, uint32_t argb = 0xFF808080u,
                                   bool alpha = true)
{
    auto texture = std::make_shared<TTexture>();
    TTextureData* data = texture->GetData();
    data->SetFlag(TTextureData::kAlpha, alpha);
    data->SetFlag(TTextureData::kSimple, true);
    if (data->CreateSurface(width, height)) {
        std::vector<uint32_t> pixels(size_t(width) * height, argb);
        data->CopyPixels(width, height, pixels.data());
    }
    return texture;
}

// A texture that never got a surface.
inline TTextureRef MakeEmptyTestTexture()
{
    return std::make_shared<TTexture>();
}

// The data behind a test texture.
inline TDxTextureData* TestTextureData(const TTextureRef& texture)
{
    return texture ? dynamic_cast<TDxTextureData*>(texture->GetData()) : nullptr;
}
