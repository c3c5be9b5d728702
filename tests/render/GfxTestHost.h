#pragma once
// A render host over one graphics display for the drawing-device tests, with
// textures that are only keys for surfaces the test made.
#include <map>
#include <memory>

#include "os/gfx/GfxDisplay.h"
#include "render/GfxRenderDevice.h"
#include "render/TextureRef.h"

class TTestRenderHost : public TGfxFrameHost {
public:
    explicit TTestRenderHost(GfxDisplay* display) : TGfxFrameHost(display) {}

    bool mReady = true;
    bool IsDeviceReady() override { return mReady && TGfxFrameHost::IsDeviceReady(); }

    // A texture reference standing for surface (never dereferenced).
    TTextureRef AddTexture(GfxSurface* surface, int32_t width, int32_t height)
    {
        auto owner = std::make_shared<int>(0);
        TTextureRef texture(owner, reinterpret_cast<TTexture*>(owner.get()));
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
