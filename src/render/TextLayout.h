#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Rect.h"
#include "platform/TString.h"
#include "platform/Vector.h"
#include "render/MarkupState.h"
#include "render/TextureRef.h"

class TVecFont;
class TGlyphPainter;

// One stretch of a line drawn with one style. Horizontal positions are
// pixels from the line's left edge; baseline is in quarter pixels.
struct TTextRun {
    TVecFont* font = nullptr;
    float scale = 0;      // font units to quarter pixels
    int32_t size = 0;     // pixels; 0 when the run holds no character
    int32_t baseline = 0; // quarter pixels below the line top
    TVecFont* markupFont = nullptr; // the face asked for, when drawn in the fallback font
    float colour[4] = {0, 0, 0, 0};
    uint8_t bold = 0, italic = 0, underline = 0, cursor = 0;
    int32_t first = -2, last = -2; // byte indexes into the text, last inclusive
    int32_t xStart = 0, xEnd = 0;
    TString linkId;
    float linkColour[4] = {0, 0, 0, 0};
    float outlineSize = 0;
    float outlineColour[4] = {0, 0, 0, 0};
    int32_t tabPosition = 0; // quarter pixels; 0 = the run does not end at a tab
};

struct TTextLine {
    int32_t height = 0;   // pixels
    int32_t baseline = 0; // quarter pixels below the line top
    int32_t x = 0;        // anchor inside the box, pixels
    float xOffset = 0;    // added to x for the left edge of the first run
    std::vector<TTextRun> runs;
};

// Marked-up text laid out into lines and runs: measured, hit-tested for
// links and drawn with the vector fonts. Main thread only.
class TTextLayout {
public:
    // Flags: horizontal centre (1) or right (2), vertical centre (4) or
    // bottom (8); the lower bit wins when both of a pair are set.
    enum : uint32_t { kCentre = 1, kRight = 2, kMiddle = 4, kBottom = 8 };

    // Already laid out. A null or empty fontName is the built-in font;
    // colour is four floats, null for opaque white.
    static std::unique_ptr<TTextLayout> Create(const TString& text, int32_t boxWidth, int32_t boxHeight,
                                               int32_t flags, const char* fontName, int32_t fontSize,
                                               const float* colour);
    // Null is accepted.
    static void Delete(std::unique_ptr<TTextLayout>& layout) { layout.reset(); }

    // Each lays out again only when the value changed.
    void SetText(const TString& text);
    void SetColor(const float rgba[4]);
    // Degrees about (originX, originY); always lays out again.
    void SetRotation(float degrees, int32_t originX, int32_t originY);
    // Drawing into a texture replaces its pixels instead of blending.
    void MarkDirty() { mOverwrite = true; }

    // Draws through the application's rasteriser; see DrawWith.
    void Draw(const TRect& rect, float scale, int32_t lineSpacing, float alpha, const TTextureRef& target);
    // Draws through painter: rect in pixels; onto the screen (the viewport's
    // corner added) when target is empty, inside an open 2D pass.
    void DrawWith(TGlyphPainter& painter, const TRect& rect, float scale, int32_t lineSpacing, float alpha,
                  const TTextureRef& target);

    void GetBounds(TRect& out) const;
    // The link id of the run under (x, y), relative to the box; empty when
    // none.
    void GetLinkAt(TString& out, int32_t x, int32_t y, int32_t lineSpacing) const;
    // Sets the hover link to the link at point (empty for null); true when
    // it changed.
    bool IsOverLink(const int32_t* point, int32_t lineSpacing);
    int32_t GetLineCount() const { return int32_t(mLines.size()); }
    // The first line from which all remaining lines fit in the box height.
    int32_t FindLineAt(float scale, int32_t lineSpacing) const;

    // Scrolling: the integer part is the first line drawn, measured and hit;
    // the fraction scrolls smoothly.
    void SetFirstVisibleLine(float line) { mFirstVisible = line; }
    float GetFirstVisibleLine() const { return mFirstVisible; }

    const std::vector<std::shared_ptr<TTextLine>>& GetLines() const { return mLines; }
    const TString& GetText() const { return mText; }
    const TString& GetHoverLink() const { return mHoverLink; }
    int32_t GetTotalHeight() const { return mTotalHeight; }
    int32_t GetOriginY() const { return mOriginY; }
    float GetYOffset() const { return mYOffset; }
    bool GetOverwrite() const { return mOverwrite; }
    float GetRotationCos() const { return mCos; }
    float GetRotationSin() const { return mSin; }

    // Font sizes, pads and tab positions in markup are clamped to these.
    static constexpr int32_t kMaxFontSize = 1024;
    static constexpr int32_t kMaxPad = 4096;
    static constexpr int32_t kMaxTab = 65536;
    static constexpr int32_t kMaxOutline = 64;

private:
    TTextLayout() = default;
    void Layout();
    // The index of the first line that GetBounds, GetLinkAt and drawing use.
    size_t FirstVisibleIndex() const;

    TString mText;
    TMarkupState mState;
    int32_t mOriginY = 0;
    int32_t mTotalHeight = 0;
    int32_t mBoxWidth = 0, mBoxHeight = 0;
    float mCos = 1, mSin = 0;
    int32_t mRotationX = 0, mRotationY = 0;
    bool mOverwrite = false;
    std::vector<std::shared_ptr<TTextLine>> mLines;
    TString mFontName;
    int32_t mFontSize = 0;
    TVec4 mColour;
    float mFirstVisible = 0;
    float mYOffset = 0;
    TString mHoverLink;
    uint32_t mFlags = 0;

    friend class TLayoutPass;
};
