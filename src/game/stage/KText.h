#pragma once
#include <cstdint>

#include "platform/TString.h"
#include "render/TextureRef.h"
#include "ui/Window.h"

namespace KTex {

// A window that shows a text as pictures. Everything is done once, in the
// constructor: the text is laid out with a vector font (the font shrunk
// until the text fits the box when kFit is set), drawn into a texture and
// shown by an image child; with kShadow a soft black copy, drawn small and
// stretched back, lies under it as a first child. Window name "KText".
class KText : public TWindow {
public:
    enum : uint32_t { kFit = 1, kShadow = 2 };
    // The fitting loop gives up once the font would get smaller than this.
    static constexpr uint32_t kMinFitSize = 4;

    // layoutOption goes to the text layout unchanged (the game passes 5).
    KText(const TString& text, const TString& font, uint32_t size, float red, float green, float blue,
          float alpha, int32_t width, int32_t height, uint32_t layoutOption, uint32_t flags);
    ~KText() override;

    const char* GetClassName() const override { return "KText"; }

    // source scaled to width x height by nearest sampling (mode 0; any other
    // mode leaves the new texture as made). The source itself when it has
    // that size already; empty, with a log line, when the new texture
    // cannot be made or either texture cannot be read.
    static TTextureRef Resize(const TTextureRef& source, uint32_t width, uint32_t height, uint32_t mode);

    // The fitting loop's next size after step n (1, 2, ...) from size;
    // below kMinFitSize (or a factor at or under 0) gives 0.
    static uint32_t NextFitSize(uint32_t size, uint32_t step);

    const TString& GetText() const { return mText; }
    const TString& GetFont() const { return mFont; }
    // The size the text was drawn at.
    uint32_t GetSize() const { return mSize; }
    uint32_t GetFlags() const { return mFlags; }

private:
    void Build();

    TString mText;
    TString mFont;
    uint32_t mSize;
    float mColour[4];
    int32_t mWidth, mHeight;
    uint32_t mLayoutOption;
    uint32_t mFlags;
};

} // namespace KTex
