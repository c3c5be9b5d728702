#pragma once
#include <cstdint>
#include <memory>

#include "platform/Asset.h"
#include "platform/Rect.h"
#include "platform/TString.h"
#include "render/DrawParams.h"
#include "render/TextureData.h"
#include "render/TextureRef.h"

// The drawable image asset. Textures are made by name from image files
// (options after a "?" in the name) or empty as render targets, and shared:
// the asset manager maps each maker's key to the one live texture. The
// pixels live in the owned TTextureData, which also rebuilds them after
// device loss. Main thread only.
class TTexture : public TAsset {
public:
    static const TAssetClassId ClassId;

    // Flags of Get and GetMasked.
    enum : uint32_t {
        kGetMipmap = 1,
        kGetAlpha = 2,
        kGetOpaque = 4,
    };

    // The registered texture of name (options included; "\" counts as
    // "/"), else a new one loaded from the file: alpha with kGetAlpha,
    // opaque with kGetOpaque, else as the file says. A live texture is
    // returned as it is, whatever flags it was made with. Empty when the
    // file does not load.
    static TTextureRef Get(const TString& name, uint32_t flags);
    // The image with the mask file's red channel as its alpha.
    static TTextureRef GetMasked(const TString& image, const TString& mask, uint32_t flags);
    // A plain (never squared) surface with the file's own alpha.
    static TTextureRef GetCursorTexture(const TString& name);
    // An empty texture without a file, its surface made at once; registered
    // under its address until it is destroyed. Empty when the surface
    // cannot be made.
    static TTextureRef CreateRenderTarget(uint32_t width, uint32_t height, bool alpha);

    // The makers' registry keys.
    static TString KeyOf(const TString& name, uint32_t flags);
    static TString MaskedKeyOf(const TString& image, const TString& mask, uint32_t flags);
    static TString CursorKeyOf(const TString& name);
    TString RenderTargetKey() const;

    // With the display layer's data object (or a surface object of its own
    // before the display layer exists).
    TTexture();
    // With the given data (never null).
    explicit TTexture(std::unique_ptr<TTextureData> data);
    ~TTexture() override;

    const char* GetClassName() const override;
    bool IsKindOf(TAssetClassId id) const override;
    // Drops the surface; Restore rebuilds it (from the file when it has one).
    void Release() override;
    void Restore() override;

    // A quad of the image (or of its source rectangle) in the open 2D pass,
    // placed by the params; nothing outside a 2D pass.
    virtual void Draw(const TDrawParams& params);
    // The same at (x, y), turned by angle (radians).
    virtual void Draw(float x, float y, float alpha, float scale, float angle, uint32_t flags);
    // Copies source (the whole image when null; cut to the image) to (x, y)
    // of target, or of the screen when target is empty. Ignored (false)
    // while the renderer draws a frame or into a texture.
    virtual bool Blit(int32_t x, int32_t y, const TRect* source, const TTextureRef& target);
    // Image size in pixels.
    virtual uint32_t GetWidth() const;
    virtual uint32_t GetHeight() const;

    // Clears the surface to transparent black.
    bool Clear();
    // The pixels as 0xAARRGGBB words and the row pitch in pixels; Unlock
    // writes them back.
    bool Lock(uint32_t*& pixels, uint32_t& pitch);
    void Unlock();
    bool HasAlpha() const;
    // The size the image was padded to: image size plus twice the padding,
    // each rounded up to an even number.
    void GetSurfaceSize(uint32_t& width, uint32_t& height) const;

    TTextureData* GetData() const { return mData.get(); }

private:
    // A new texture with the data flags set, registered under key once the
    // file has loaded; empty when it does not load.
    static TTextureRef Load(const TString& key, const TString& name, const TString& mask, uint8_t setFlags);
    static TTextureRef FindLive(const TString& key);

    std::unique_ptr<TTextureData> mData;
};

// Makes textures the first kind of asset a TAssetMap looks a name up as
// (TTexture::Get with flags 0).
void RegisterTextureAssetLoader();
