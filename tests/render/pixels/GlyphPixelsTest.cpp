// The glyph rasteriser on the GL device under Xvfb: the start-up calibration
// of its line offsets, text drawn on the screen and into a texture against
// a coverage picture computed here from the same outlines, and text cut at
// a texture's edge.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "render/pixels/PlatformScreen.h"
#include "render/BuiltinFontData.h"
#include "render/MiniVecDraw.h"
#include "render/Texture.h"
#include "render/VecFont.h"

namespace {

constexpr int32_t kWidth = 800, kHeight = 600;

// A grey picture: one value 0..255 per pixel.
struct Grey {
    int32_t width = 0, height = 0;
    std::vector<int32_t> values;

    Grey(int32_t w, int32_t h) : width(w), height(h), values(size_t(w) * size_t(h), 0) {}
    int32_t& At(int32_t x, int32_t y) { return values[size_t(y) * size_t(width) + size_t(x)]; }
    int32_t At(int32_t x, int32_t y) const { return values[size_t(y) * size_t(width) + size_t(x)]; }
    int64_t Sum() const
    {
        int64_t sum = 0;
        for (int32_t v : values)
            sum += v;
        return sum;
    }
};

// A glyph's outline as polygons in pixels, flattened as the rasteriser
// flattens it (curves as three segments), placed at (x, y) pixels with
// scale sx, sy (font units to pixels).
using Polygon = std::vector<std::pair<double, double>>;

void AddOutline(TGlyphCommands commands, double x, double y, double sx, double sy, std::vector<Polygon>& out)
{
    TGlyphCommandReader reader(commands);
    TGlyphCommand c;
    double atX = 0, atY = 0;
    auto place = [&](double fx, double fy) { return std::make_pair(x + fx * sx, y + fy * sy); };
    while (reader.Next(c)) {
        if (c.opcode == kGlyphMove) {
            out.push_back({place(c.x, c.y)});
        } else if (c.opcode == kGlyphLine && !out.empty()) {
            out.back().push_back(place(c.x, c.y));
        } else if (c.opcode == kGlyphCurve && !out.empty()) {
            for (int32_t i = 1; i <= 3; ++i) {
                const double t = i / 3.0, u = 1 - t;
                out.back().push_back(place(u * u * atX + 2 * u * t * c.cx + t * t * c.x,
                                           u * u * atY + 2 * u * t * c.cy + t * t * c.y));
            }
        }
        if (c.opcode == kGlyphMove || c.opcode == kGlyphLine || c.opcode == kGlyphCurve) {
            atX = c.x;
            atY = c.y;
        }
    }
}

bool Inside(const std::vector<Polygon>& polygons, double px, double py)
{
    bool inside = false;
    for (const Polygon& p : polygons) {
        for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
            const double xi = p[i].first, yi = p[i].second, xj = p[j].first, yj = p[j].second;
            if ((yi > py) != (yj > py) && px < xj + (py - yj) * (xi - xj) / (yi - yj))
                inside = !inside;
        }
    }
    return inside;
}

// Coverage of every pixel by the outlines (even-odd), sampled 16 x 16.
Grey Reference(const std::vector<Polygon>& polygons, int32_t w, int32_t h)
{
    Grey g(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int32_t hits = 0;
            for (int32_t sy = 0; sy < 16; ++sy)
                for (int32_t sx = 0; sx < 16; ++sx)
                    hits += Inside(polygons, x + (sx + 0.5) / 16, y + (sy + 0.5) / 16);
            g.At(x, y) = (hits * 255 + 128) / 256;
        }
    return g;
}

class GlyphPixels : public PlatformScreenTest {
protected:
    GlyphPixels() : PlatformScreenTest("glyphpixels") {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(OpenScreen("Glyphs", true));
        mDraw = std::make_unique<TDnMiniVecDraw>();
        mDraw->Calibrate();
        Clear(0xFF000000u);
    }

    void TearDown() override
    {
        mDraw.reset();
        CloseScreen();
    }

    template <class F>
    void DrawFrame(F draw)
    {
        ASSERT_TRUE(Renderer().BeginDraw(false));
        ASSERT_TRUE(Renderer().Begin2d());
        draw();
        Renderer().End2d();
        Renderer().EndDraw(false);
        ReadScreen();
    }

    uint32_t Pixel(int32_t x, int32_t y) const { return mScreen[size_t(y) * kWidth + size_t(x)] & 0xFFFFFFu; }

    // The screen's red channel in a window.
    Grey ScreenRed(int32_t left, int32_t top, int32_t w, int32_t h) const
    {
        Grey g(w, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                g.At(x, y) = int32_t(Pixel(left + x, top + y) >> 16);
        return g;
    }

    // Draws text in the built-in font, white, 24 pixels high, its pen at
    // (x, y); the outlines drawn are added to outlines, shifted by (-ox, -oy).
    void DrawText(const std::string& text, float x, float y, const TTextureRef& target,
                  std::vector<Polygon>* outlines = nullptr, float ox = 0, float oy = 0)
    {
        const float white[4] = {1, 1, 1, 1};
        const float scale = 24 * 4 * 0.8f / (mFont.GetAscent() + mFont.GetDescent());
        mDraw->SetColour(1, white, 1);
        mDraw->Begin(x, y, target);
        double pen = 0;
        for (char c : text) {
            const int32_t glyph = mFont.FindGlyph(uint8_t(c));
            ASSERT_GE(glyph, 0) << c;
            const float vertical = scale * mFont.GetScaleFactor(glyph);
            mDraw->SetScale(scale, vertical);
            const int32_t dx = int32_t(std::lround(pen));
            mDraw->DrawGlyph(mFont.GetCommands(glyph), dx, 0);
            if (outlines) {
                // The pen in quarter pixels, rounded down to whole quarters.
                const double qx = std::floor(x * 4) + dx, qy = std::floor(y * 4);
                AddOutline(mFont.GetCommands(glyph), qx / 4 - ox, qy / 4 - oy, scale / 4, vertical / 4, *outlines);
            }
            pen += mFont.GetAdvance(glyph) * scale;
        }
        mDraw->Flush();
    }

    std::unique_ptr<TDnMiniVecDraw> mDraw;
    TVecFont mFont{std::vector<uint8_t>(kBuiltinFontData, kBuiltinFontData + sizeof kBuiltinFontData), "built-in"};
};

// Pixel differences between two grey pictures of one size.
struct Difference {
    int32_t largest = 0;
    double mean = 0;
};

Difference Compare(const Grey& a, const Grey& b)
{
    Difference d;
    int64_t total = 0;
    for (size_t i = 0; i < a.values.size(); ++i) {
        const int32_t diff = std::abs(a.values[i] - b.values[i]);
        d.largest = std::max(d.largest, diff);
        total += diff;
    }
    d.mean = double(total) / double(a.values.size());
    return d;
}

TEST_F(GlyphPixels, CalibrationFindsOffsetsThatLightExactlyTheSpannedPixels)
{
    const int32_t setting = mDraw->GetCalibrationSetting();
    const TDnMiniVecDraw::TLineOffsets o = mDraw->GetLineOffsets();
    std::printf("rasteriser calibration: setting %d, offsets %.2f %.2f %.2f, batch %u\n", setting,
                double(o.start), double(o.end), double(o.y), mDraw->GetBatchCapacity());
    // Under llvmpipe every passing setting lights its pixels equally; the
    // last to pass is 92: start -0.25, end 0, y 0.5 (on the row's centre).
    EXPECT_EQ(setting, 92);
    EXPECT_EQ(mDraw->GetBatchCapacity(), 256u);

    // One-pixel squares at a few places light exactly their pixels, and
    // a three-pixel bar its three.
    const float white[4] = {1, 1, 1, 1};
    DrawFrame([&] {
        mDraw->SetColour(1, white, 1);
        mDraw->SetScale(4, 4); // font units are pixels
        mDraw->Begin(0, 0, TTextureRef());
        for (int32_t i = 0; i < 4; ++i)
            mDraw->DrawBox(0, 0, 1, 1, 4 * (100 + 7 * i), 4 * (50 + 3 * i));
        mDraw->DrawBox(0, 0, 3, 1, 4 * 300, 4 * 80);
        mDraw->Flush();
    });
    int32_t lit = 0;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            lit += Pixel(x, y) != 0;
    EXPECT_EQ(lit, 7);
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(Pixel(100 + 7 * i, 50 + 3 * i), 0xFFFFFFu) << i;
    for (int32_t x = 300; x < 303; ++x)
        EXPECT_EQ(Pixel(x, 80), 0xFFFFFFu) << x;
}

TEST_F(GlyphPixels, TextOnTheScreenAndInATextureMatchesItsOutlines)
{
    const std::string text = "Quag &8 @%";
    const int32_t left = 40, top = 100, w = 200, h = 40;
    const float penX = left + 10.25f, penY = top + 28.5f;

    std::vector<Polygon> outlines;
    DrawFrame([&] { DrawText(text, penX, penY, TTextureRef(), &outlines, left, top); });
    const Grey screen = ScreenRed(left, top, w, h);
    const Grey reference = Reference(outlines, w, h);

    TTextureRef texture = TTexture::CreateRenderTarget(uint32_t(w), uint32_t(h), true);
    ASSERT_TRUE(texture);
    ASSERT_TRUE(texture->Clear());
    mDraw->SetOverwrite(true);
    DrawText(text, penX - left, penY - top, texture);
    Grey written(w, h);
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    ASSERT_TRUE(texture->Lock(pixels, pitch));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            written.At(x, y) = int32_t(pixels[size_t(y) * pitch + size_t(x)] >> 24);
    texture->Unlock();

    // The screen shows exactly what is written into a texture (white over
    // black: the colour is the coverage's alpha, give or take rounding).
    const Difference same = Compare(screen, written);
    EXPECT_LE(same.largest, 1);
    // Against 16 x 16 samples of the same outlines: 4 x 4 samples are off by
    // at most three of their sixteen in a pixel, by 6% of the ink summed
    // over all pixels, and by 1% in the total ink.
    const Difference close = Compare(written, reference);
    EXPECT_LE(close.largest, 3 * 16 + 1);
    EXPECT_LT(close.mean * double(w * h), double(reference.Sum()) * 0.06);
    EXPECT_NEAR(double(written.Sum()), double(reference.Sum()), double(reference.Sum()) * 0.01);
    std::printf("glyph coverage against 16 x 16 samples: largest %d, mean %.3f, ink %lld / %lld\n", close.largest,
                close.mean, static_cast<long long>(written.Sum()), static_cast<long long>(reference.Sum()));
}

TEST_F(GlyphPixels, TextRunningPastATexturesEdgeIsCut)
{
    const int32_t w = 64, h = 32;
    TTextureRef texture = TTexture::CreateRenderTarget(uint32_t(w), uint32_t(h), true);
    ASSERT_TRUE(texture);
    ASSERT_TRUE(texture->Clear());
    mDraw->SetOverwrite(true);
    // Starts left of the texture, ends right of it, and reaches above it:
    // W above the baseline, a line of underscores below it.
    DrawText("WWWWWWWW", -20, 12, texture);
    DrawText("____________", -20, 12, texture);

    // Drawn over red, only the texture's own square changes.
    Clear(0xFFFF0000u);
    DrawFrame([&] { texture->Draw(TDrawParams(TVec2(300, 200), 1.0f, 1.0f, kDrawAtOrigin)); });
    int32_t ink = 0;
    for (int32_t y = 190; y < 240; ++y)
        for (int32_t x = 290; x < 370; ++x) {
            const bool inside = x >= 300 && x < 300 + w && y >= 200 && y < 200 + h;
            if (!inside)
                EXPECT_EQ(Pixel(x, y), 0xFF0000u) << x << "," << y;
            else
                ink += Pixel(x, y) != 0xFF0000u;
        }
    EXPECT_GT(ink, w * 4);
    // Ink at both side edges and the top edge.
    auto column = [&](int32_t x) {
        int32_t n = 0;
        for (int32_t y = 0; y < h; ++y)
            n += Pixel(300 + x, 200 + y) != 0xFF0000u;
        return n;
    };
    EXPECT_GT(column(0), 0);
    EXPECT_GT(column(w - 1), 0);
    int32_t top = 0;
    for (int32_t x = 0; x < w; ++x)
        top += Pixel(300 + x, 200) != 0xFF0000u;
    EXPECT_GT(top, 0);
}

} // namespace
