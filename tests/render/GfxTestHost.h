#pragma once
// A render host over one graphics display for the drawing-device tests, with
// textures that stand for surfaces the test made.
#include <map>
#include <memory>

#include "os/gfx/GfxDisplay.h"
#include "render/GfxRenderDevice.h"
#include "render/Texture.h"
#include "render/TextureRef.h"

class TTestRenderHost : public TGfxFrameHost {
public:
    explicit TTestRenderHost(GfxDisplay* display) : TGfxFrameHost(display) {}

    bool mReady = true;
    bool IsDeviceReady() override { return mReady && TGfxFrameHost::IsDeviceReady(); }

    // A texture (without a surface of its own) that stands for surface.
    TTextureRef AddTexture(GfxSurface* surface, int32_t width, int32_t height)
    {
        auto texture = std::make_shared<TTexture>();
        mTextures[texture.get()] = TTextureTarget{surface, width, height};
        return texture;
    }

    bool GetTextureTarget(const TTexture& texture, TTextureTarget* out) override
    {
        auto found = mTextures.find(&texture);
        if (found == mTextures.end())
            return false;
        *out = found->second;
        return true;
    }

private:
    std::map<const TTexture*, TTextureTarget> mTextures;
};
