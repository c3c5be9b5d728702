#pragma once
#include <memory>

class TFontCache;
class TDnMiniVecDraw;

// The application's text services: the font cache (from start-up) and the
// glyph rasteriser (made and calibrated by the first display set-up),
// installed for the text layouts while they exist.
class TAppText {
public:
    TAppText();
    ~TAppText();
    TAppText(const TAppText&) = delete;
    TAppText& operator=(const TAppText&) = delete;

    // Once, after the first display mode is set: the rasteriser, calibrated.
    // False when it was made before.
    bool MakeRasteriser();
    // Shut-down: the rasteriser goes, then every cached font.
    void Free();

    TFontCache* GetFontCache() const { return mFonts.get(); }
    TDnMiniVecDraw* GetRasteriser() const { return mRasteriser.get(); }

private:
    std::unique_ptr<TFontCache> mFonts;
    std::unique_ptr<TDnMiniVecDraw> mRasteriser;
};
