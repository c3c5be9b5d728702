#pragma once
#include <cstdint>
#include <memory>

#include "platform/Rect.h"
#include "platform/TString.h"
#include "render/TextureRef.h"

class GfxSurface;

// The pixel storage behind a texture: the image's size, the surface made for
// it and the files it came from, so that it can be rebuilt after the device
// lost it. Pixel buffers are 32-bit words 0xAARRGGBB. Main thread only.
class TTextureData {
public:
    // Flag bits (mFlags).
    enum : uint8_t {
        kRenderTarget = 0x01,  // never set by a maker; see TDxTextureData
        kAlpha = 0x02,         // the surface has an alpha channel
        kAlphaFromFile = 0x04, // a PNG's alpha decides kAlpha
        kMipmap = 0x08,        // the surface gets a mip-map chain
        kSimple = 0x10,        // plain surface, never rounded to a square
        kSlow = 0x20,          // large images allowed; simple ones stay in system memory
    };

    TTextureData() = default;
    virtual ~TTextureData() = default;
    TTextureData(const TTextureData&) = delete;
    TTextureData& operator=(const TTextureData&) = delete;

    // Drops the surface (the platform's texture-byte count drops with it).
    virtual void ReleaseSurface() = 0;
    // Rebuilds the surface after device loss: empty at the same size without
    // a file, else loaded again from the file (and mask). A failure flags the
    // display broken so that the restore runs again.
    virtual void Restore() = 0;
    // Uploads rows x stride pixels (rows stride pixels apart).
    virtual bool CopyPixels(uint32_t stride, uint32_t rows, const uint32_t* pixels) = 0;
    // Makes the surface for an image of width x height (see TDxTextureData).
    virtual bool CreateSurface(uint32_t width, uint32_t height) = 0;
    // Copies source (the whole image when null) to (x, y) of the target
    // texture, or of the display's drawing surface when target is empty.
    virtual bool Blit(int32_t x, int32_t y, const TRect* source, const TTextureRef& target) = 0;
    // Clears the whole surface to 0 (transparent black).
    virtual bool Fill() = 0;
    // The pixels as 32-bit words and the row pitch in pixels; Unlock writes
    // them back.
    virtual bool Lock(uint32_t*& pixels, uint32_t& pitch) = 0;
    virtual void Unlock() = 0;

    // Loads the image file (and the mask file whose red channel becomes the
    // alpha) into the surface: LoadTextureFiles (TextureLoad.h), or the
    // loader installed with SetTextureLoader.
    bool Load(const TString& fileName, const TString& maskFileName);

    bool HasFlag(uint8_t flag) const { return (mFlags & flag) != 0; }
    void SetFlag(uint8_t flag, bool on) { mFlags = on ? uint8_t(mFlags | flag) : uint8_t(mFlags & ~flag); }

    TString mFileName;     // empty for render targets and made textures
    TString mMaskFileName; // empty when none
    uint32_t mWidth = 0;   // image size
    uint32_t mHeight = 0;
    uint32_t mSurfaceWidth = 0; // size of the surface made (at least the image size)
    uint32_t mSurfaceHeight = 0;
    int32_t mPaddingX = 0; // set by loading
    int32_t mPaddingY = 0;
    uint8_t mFlags = 0;
};

// Replaces the loader behind TTextureData::Load (tests); null puts the
// image decoders' loader back.
using TTextureLoader = bool (*)(TTextureData& data, const TString& fileName, const TString& maskFileName);
void SetTextureLoader(TTextureLoader loader);

// The texture surface over the graphics device.
//
// CreateSurface rounds a texture that is not simple to a power-of-two square
// when the device takes only square textures (the utility padding is half
// of each enlargement). Simple textures are made by hand in system memory
// on a software device or when also slow, else in video memory; when the
// device reports free video memory too small for the surface at 32 bits,
// the display switches to its low-video-memory mode. A surface that cannot
// be had in video memory is tried in system memory; an alpha surface that
// cannot be had falls back to one without alpha ("SURFACE request FAILED to
// get DDPF_ALPHAPIXELS.").
class TDxTextureData : public TTextureData {
public:
    TDxTextureData() = default;
    ~TDxTextureData() override;

    void ReleaseSurface() override;
    void Restore() override;
    bool CopyPixels(uint32_t stride, uint32_t rows, const uint32_t* pixels) override;
    bool CreateSurface(uint32_t width, uint32_t height) override;
    bool Blit(int32_t x, int32_t y, const TRect* source, const TTextureRef& target) override;
    bool Fill() override;
    bool Lock(uint32_t*& pixels, uint32_t& pitch) override;
    void Unlock() override;

    GfxSurface* GetSurface() const { return mSurface.get(); }
    int32_t GetMipLevel() const { return mMipLevel; }
    int32_t GetUtilityPaddingX() const { return mUtilityPaddingX; }
    int32_t GetUtilityPaddingY() const { return mUtilityPaddingY; }
    bool IsMadeByUtility() const { return mMadeByUtility; }

    // The texture format chosen for alpha surfaces is kept per colour depth
    // until the next display mode forgets it.
    static void ForgetTextureFormat();

private:
    bool CreateByHand(uint32_t width, uint32_t height);
    bool CreateByUtility(uint32_t width, uint32_t height);
    bool MakeSurface(uint32_t width, uint32_t height, bool alpha, bool mipmap, bool systemMemory);
    void DropSurface();

    std::unique_ptr<GfxSurface> mSurface;
    uint64_t mCountedBytes = 0; // held in the platform's texture-byte count
    int32_t mMipLevel = 0;      // -1 when made with mip-maps
    int32_t mUtilityPaddingX = 0;
    int32_t mUtilityPaddingY = 0;
    bool mMadeByUtility = false;
    bool mLocked = false;
};

// The data of a texture: null for an empty reference. The texture class
// installs the resolver (tests may install their own).
using TTextureDataResolver = TTextureData* (*)(const TTexture* texture);
void SetTextureDataResolver(TTextureDataResolver resolver);
TTextureData* GetTextureData(const TTextureRef& texture);
TTextureData* GetTextureData(const TTexture* texture);
// The surface of a texture whose data is a TDxTextureData; null otherwise.
GfxSurface* GetTextureSurface(const TTextureRef& texture);
