#pragma once
#include <cstdint>

#include "render/TextureRef.h"
#include "ui/Window.h"

// A window that shows one texture, scaled, optionally mirrored (draw flags
// kDrawMirrorX / kDrawMirrorY) or turned by a quarter turn. Its size follows
// the image: setting an image sizes the window to the image times the scale.
// Window type "Bitmap"; the part images of buttons and sliders.
class TImage : public TWindow {
public:
    // toTexture: drawn in the render-to-texture pass too. Always an opaque
    // cover until the style asks for alpha.
    explicit TImage(bool toTexture);
    ~TImage() override;

    const char* GetClassName() const override { return "TImage"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    // The creator of window type "Bitmap"; its address is the kind id.
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TImage::GetCreator); }

    // "image", "mask", "scale", "alpha", "mipmap", "hflip", "vflip",
    // "rotate", then the common keys (a size given there wins).
    void Init(const TStyle& style) override;
    // The texture at the window's top-left, in the open 2D pass or one of
    // its own.
    void Draw() override;

    // Stores both; with a texture the window takes its size times the scale
    // (rounded; width and height swapped when turned).
    void SetImage(TTextureRef texture, float scale);
    void SetRotate(bool rotate);
    void SetDrawFlags(uint32_t flags);
    void SetAlpha(float alpha) { mAlpha = alpha; }

    const TTextureRef& GetTexture() const { return mTexture; }
    float GetScale() const { return mScale; }
    float GetAlpha() const { return mAlpha; }
    uint32_t GetDrawFlags() const { return mDrawFlags; }
    bool GetRotate() const { return mRotate; }

private:
    void FitToImage();

    TTextureRef mTexture;
    float mScale = 1.0f;
    float mAlpha = 1.0f;
    uint32_t mDrawFlags = 0;
    bool mRotate = false;
};
