#pragma once
// The stage's 2D pieces on the recording device: animated-texture sheets
// from memory files (render/AnimFixture.h) and the synthetic font under
// every font name the stage uses, so texts lay out and draw headless.

#include <memory>
#include <vector>

#include "platform/AssetNames.h"
#include "render/AnimFixture.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/TextServices.h"
#include "render/Texture.h"
#include "support/SyntheticFont.h"

class StageFixture : public AnimFixture {
protected:
    static constexpr const char* kFontNames[] = {"fonts/test.mvec", "fonts/Centry.mvec", "fonts/century.mvec"};

    void SetUp() override
    {
        AnimFixture::SetUp();
        mFace = synthetic_font::Bytes();
        for (const char* name : kFontNames)
            RegisterMemoryFile(name, mFace.data(), uint32_t(mFace.size()));
        mFonts = std::make_unique<TFontCache>(mFace.data(), mFace.size());
        mRasteriser = std::make_unique<TDnMiniVecDraw>();
        SetTextServices(mFonts.get(), mRasteriser.get());
    }

    void TearDown() override
    {
        SetTextServices(nullptr, nullptr);
        mRasteriser.reset();
        mFonts.reset();
        for (const char* name : kFontNames)
            RegisterMemoryFile(name, nullptr, 0);
        AnimFixture::TearDown();
    }

    // A render target filled with the given pixels, row by row.
    static TTextureRef MakeTexture(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels,
                                   bool alpha = true)
    {
        TTextureRef texture = TTexture::CreateRenderTarget(width, height, alpha);
        uint32_t* bits = nullptr;
        uint32_t pitch = 0;
        if (!texture || !texture->Lock(bits, pitch))
            return TTextureRef();
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                bits[size_t(y) * pitch + x] = pixels[size_t(y) * width + x];
        texture->Unlock();
        return texture;
    }

    static std::vector<uint32_t> PixelsOf(const TTextureRef& texture)
    {
        std::vector<uint32_t> out;
        uint32_t* bits = nullptr;
        uint32_t pitch = 0;
        if (!texture || !texture->Lock(bits, pitch))
            return out;
        for (uint32_t y = 0; y < texture->GetHeight(); ++y)
            for (uint32_t x = 0; x < texture->GetWidth(); ++x)
                out.push_back(bits[size_t(y) * pitch + x]);
        texture->Unlock();
        return out;
    }

    std::vector<uint8_t> mFace;
    std::unique_ptr<TFontCache> mFonts;
    std::unique_ptr<TDnMiniVecDraw> mRasteriser;
};
