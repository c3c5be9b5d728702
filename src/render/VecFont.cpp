#include "render/VecFont.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/Log.h"

namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kRecordSize = 18;
constexpr float kUnit = 1.0f / 128.0f;

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

float Coord(const uint8_t* p)
{
    return float(int16_t(uint16_t(p[0] | p[1] << 8))) * kUnit;
}

uint64_t NextSerial()
{
    static std::atomic<uint64_t> serial{0};
    return ++serial;
}

} // namespace

bool TGlyphCommandReader::Take(size_t count, const uint8_t*& bytes)
{
    if (mLeft < count) {
        mDamaged = true;
        mEnded = true;
        return false;
    }
    bytes = mAt;
    mAt += count;
    mLeft -= count;
    return true;
}

bool TGlyphCommandReader::Next(TGlyphCommand& out)
{
    const uint8_t* b = nullptr;
    if (mEnded || !Take(1, b))
        return false;
    out = TGlyphCommand();
    out.opcode = b[0];
    switch (out.opcode) {
    case kGlyphShape:
        return true;
    case kGlyphLeftFill:
    case kGlyphRightFill:
        if (!Take(1, b))
            return false;
        out.style = b[0];
        return true;
    case kGlyphMove:
    case kGlyphLine:
        if (!Take(4, b))
            return false;
        out.x = Coord(b);
        out.y = Coord(b + 2);
        return true;
    case kGlyphCurve:
        if (!Take(8, b))
            return false;
        out.cx = Coord(b);
        out.cy = Coord(b + 2);
        out.x = Coord(b + 4);
        out.y = Coord(b + 6);
        return true;
    case kGlyphColour:
        if (!Take(3, b))
            return false;
        std::memcpy(out.rgb, b, 3);
        return true;
    case kGlyphEnd:
        mEnded = true;
        return false;
    default:
        mDamaged = true;
        mEnded = true;
        return false;
    }
}

TVecFont::TVecFont(std::vector<uint8_t> data, const std::string& name)
    : mData(std::move(data)), mSerial(NextSerial())
{
    if (mData.size() < 6 || std::memcmp(mData.data(), "MVC4", 4) != 0) {
        WriteLog("Font %s: not a vector font (no MVC4 mark)", name.c_str());
        return;
    }
    ReadRecords(name);
    Measure();
}

void TVecFont::ReadRecords(const std::string& name)
{
    size_t count = size_t(mData[4]) | size_t(mData[5]) << 8;
    size_t fit = mData.size() < kHeaderSize ? 0 : (mData.size() - kHeaderSize) / kRecordSize;
    if (fit < count) {
        WriteLog("Font %s: glyph table cut short (%zu of %zu glyphs)", name.c_str(), fit, count);
        count = fit;
    }
    mGlyphs.reserve(count);
    size_t outside = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* r = mData.data() + kHeaderSize + i * kRecordSize;
        Glyph g{Le32(r), Coord(r + 4), Coord(r + 6), Coord(r + 8), Coord(r + 10), Coord(r + 12), 1.0f,
                Le32(r + 14)};
        if (g.offset >= mData.size()) {
            g.offset = 0;
            ++outside;
        }
        mGlyphs.push_back(g);
    }
    if (outside)
        WriteLog("Font %s: %zu glyph outlines lie outside the file", name.c_str(), outside);
    auto byCode = [](const Glyph& a, const Glyph& b) { return a.code < b.code; };
    if (!std::is_sorted(mGlyphs.begin(), mGlyphs.end(), byCode)) {
        WriteLog("Font %s: glyph table not sorted by code", name.c_str());
        std::stable_sort(mGlyphs.begin(), mGlyphs.end(), byCode);
    }
}

void TVecFont::Measure()
{
    float ascent = 0, tallest = 0, descent = 0;
    for (const Glyph& g : mGlyphs) {
        if (g.code == 'W')
            ascent = -g.top;
        if (g.code < 128) {
            tallest = std::max(tallest, -g.top);
            if (g.code != '_')
                descent = std::max(descent, g.bottom);
        }
    }
    if (FindGlyph('W') < 0)
        ascent = tallest;
    // A "W" lying below the baseline must not make the line box negative.
    mAscent = std::max(ascent, 0.0f);
    mDescent = descent;
    if (mAscent + mDescent < 1)
        mAscent = 1 - mDescent;
    // Glyphs taller than the line box are squeezed into it.
    const float above = mAscent + GetTopMargin(), below = mDescent + GetBottomMargin();
    for (Glyph& g : mGlyphs) {
        float up = -g.top / above, down = g.bottom / below;
        float most = std::max(up, down);
        g.scale = most > 1 ? 1 / most : 1;
    }
}

const TVecFont::Glyph* TVecFont::At(int32_t glyph) const
{
    return glyph >= 0 && size_t(glyph) < mGlyphs.size() ? &mGlyphs[size_t(glyph)] : nullptr;
}

int32_t TVecFont::FindGlyph(uint32_t code) const
{
    auto it = std::lower_bound(mGlyphs.begin(), mGlyphs.end(), code,
                               [](const Glyph& g, uint32_t c) { return g.code < c; });
    return it != mGlyphs.end() && it->code == code ? int32_t(it - mGlyphs.begin()) : -1;
}

uint32_t TVecFont::GetCode(int32_t glyph) const
{
    const Glyph* g = At(glyph);
    return g ? g->code : 0;
}

float TVecFont::GetAdvance(int32_t glyph) const
{
    const Glyph* g = At(glyph);
    return g ? g->advance : 0;
}

float TVecFont::GetLeft(int32_t glyph) const
{
    const Glyph* g = At(glyph);
    return g ? g->left : 0;
}

float TVecFont::GetRight(int32_t glyph) const
{
    const Glyph* g = At(glyph);
    return g ? g->right : 0;
}

float TVecFont::GetTop(int32_t glyph) const
{
    const Glyph* g = At(glyph);
    return g ? g->top : 0;
}

float TVecFont::GetBottom(int32_t glyph) const
{
    const Glyph* g = At(glyph);
    return g ? g->bottom : 0;
}

float TVecFont::GetScaleFactor(int32_t glyph) const
{
    const Glyph* g = At(glyph);
    return g ? g->scale : 1;
}

TGlyphCommands TVecFont::GetCommands(int32_t glyph) const
{
    const Glyph* g = At(glyph);
    if (!g || g->offset == 0)
        return {};
    return {mData.data() + g->offset, mData.size() - g->offset, mSerial << 16 | uint64_t(glyph)};
}
