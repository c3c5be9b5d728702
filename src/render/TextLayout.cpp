#include "render/TextLayout.h"

#include <algorithm>
#include <cmath>

#include "render/FontCache.h"
#include "render/TextMath.h"

std::unique_ptr<TTextLayout> TTextLayout::Create(const TString& text, int32_t boxWidth, int32_t boxHeight,
                                                 int32_t flags, const char* fontName, int32_t fontSize,
                                                 const float* colour)
{
    std::unique_ptr<TTextLayout> layout(new TTextLayout());
    layout->mText = text;
    layout->mBoxWidth = boxWidth;
    layout->mBoxHeight = boxHeight;
    layout->mFlags = uint32_t(flags);
    layout->mFontName = (fontName && *fontName) ? TString(fontName) : TString(TFontCache::kDefaultName);
    layout->mFontSize = std::clamp(fontSize, 0, kMaxFontSize);
    layout->mColour = colour ? TVec4(colour) : TVec4(1, 1, 1, 1);
    if (!text.IsEmpty())
        layout->Layout();
    return layout;
}

void TTextLayout::SetText(const TString& text)
{
    if (text == mText)
        return;
    mText = text;
    Layout();
}

void TTextLayout::SetColor(const float rgba[4])
{
    if (rgba[0] == mColour.x && rgba[1] == mColour.y && rgba[2] == mColour.z && rgba[3] == mColour.w)
        return;
    mColour = TVec4(rgba);
    Layout();
}

void TTextLayout::SetRotation(float degrees, int32_t originX, int32_t originY)
{
    const double radians = double(degrees) * 3.14159265358979323846 / 180.0;
    mCos = float(std::cos(radians));
    mSin = float(std::sin(radians));
    if (std::fabs(mCos - 1.0f) < 0.0001f && std::fabs(mSin) < 0.0001f) {
        mCos = 1;
        mSin = 0;
    }
    mRotationX = originX;
    mRotationY = originY;
    Layout();
}

size_t TTextLayout::FirstVisibleIndex() const
{
    if (!(mFirstVisible > 0))
        return 0;
    return mFirstVisible >= float(mLines.size()) ? mLines.size() : size_t(mFirstVisible);
}

void TTextLayout::GetBounds(TRect& out) const
{
    bool any = false;
    int32_t left = 0, right = 0;
    for (size_t i = FirstVisibleIndex(); i < mLines.size(); ++i) {
        const TTextLine& line = *mLines[i];
        if (line.runs.empty())
            continue;
        const double base = double(line.x) + line.xOffset;
        int32_t l = int32_t(std::clamp(line.runs.front().xStart + base, -2e9, 2e9));
        int32_t r = int32_t(std::clamp(line.runs.back().xEnd + base, -2e9, 2e9));
        left = any ? std::min(left, l) : l;
        right = any ? std::max(right, r) : r;
        any = true;
    }
    out.left = left;
    out.right = right;
    out.top = int32_t(std::clamp(double(mOriginY) + mYOffset, -2e9, 2e9));
    out.bottom = int32_t(std::clamp(int64_t(out.top) + mTotalHeight, int64_t(INT32_MIN), int64_t(INT32_MAX)));
}

void TTextLayout::GetLinkAt(TString& out, int32_t x, int32_t y, int32_t lineSpacing) const
{
    out = TString();
    double top = double(mOriginY) + mYOffset;
    for (size_t i = FirstVisibleIndex(); i < mLines.size(); ++i) {
        const TTextLine& line = *mLines[i];
        if (top - lineSpacing <= y && y < top + line.height) {
            const double base = double(line.x) + line.xOffset;
            for (const TTextRun& run : line.runs)
                if (run.xStart + base <= x && x < run.xEnd + base) {
                    out = run.linkId;
                    return;
                }
            return;
        }
        top += double(line.height) + lineSpacing;
    }
}

bool TTextLayout::IsOverLink(const int32_t* point, int32_t lineSpacing)
{
    TString link;
    if (point)
        GetLinkAt(link, point[0], point[1], lineSpacing);
    if (link == mHoverLink)
        return false;
    mHoverLink = link;
    return true;
}

int32_t TTextLayout::FindLineAt(float scale, int32_t lineSpacing) const
{
    double sum = 0;
    for (size_t i = mLines.size(); i-- > 0;) {
        sum += (double(mLines[i]->height) + lineSpacing) * scale;
        if (sum > mBoxHeight)
            return int32_t(i + 1);
    }
    return 0;
}
