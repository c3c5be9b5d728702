// The glyph rasteriser on the recording graphics backend: coverage written
// into memory textures, the line lists sent to the screen, the span cache
// and its memory cap, damaged glyphs and the calibration's fallback.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "os/gfx/recording/GfxRecording.h"
#include "render/MiniVecCalibration.h"
#include "render/MiniVecDraw.h"
#include "render/Renderer.h"
#include "render/TestTexture.h"
#include "render/VecFont.h"
#include "support/HeadlessDisplay.h"
#include "support/MvecWriter.h"
#include "support/SyntheticFont.h"
#include "support/TempFolder.h"

namespace {

const float kWhite[4] = {1, 1, 1, 1};
const float kRed[4] = {1, 0, 0, 1};
const float kGreen[4] = {0, 1, 0, 1};

// A command list with a cache key (0: never cached).
struct TestGlyph {
    std::vector<uint8_t> bytes;
    uint64_t key = 0;
    TGlyphCommands Commands() const { return {bytes.data(), bytes.size(), key}; }
};

TestGlyph Glyph(const mvec::TCommands& commands, uint64_t key = 0)
{
    return {commands.Bytes(), key};
}

// A filled w x h square (font units) at (x, y), left fill slot 1.
TestGlyph Square(float x, float y, float w, float h, uint64_t key = 0)
{
    return Glyph(mvec::TCommands().LeftFill(1).Rect(x, y, x + w, y + h).End(), key);
}

// A texture's pixels, read back whole.
struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * width + size_t(x)]; }
    uint32_t Alpha(int32_t x, int32_t y) const { return At(x, y) >> 24; }
    // Sub-samples covered, from the alpha of full white drawn over nothing.
    int32_t Coverage(int32_t x, int32_t y) const { return int32_t((Alpha(x, y) * 16 + 254) / 255); }
    int32_t Lit() const
    {
        int32_t n = 0;
        for (uint32_t p : pixels)
            n += p != 0;
        return n;
    }
    double CoverageSum() const
    {
        double sum = 0;
        for (int32_t y = 0; y < int32_t(height); ++y)
            for (int32_t x = 0; x < int32_t(width); ++x)
                sum += Coverage(x, y);
        return sum / 16.0;
    }
};

Picture Read(const TTextureRef& texture)
{
    Picture p;
    p.width = texture->GetWidth();
    p.height = texture->GetHeight();
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    if (!texture->Lock(pixels, pitch)) {
        ADD_FAILURE() << "texture did not lock";
        return p;
    }
    for (uint32_t y = 0; y < p.height; ++y)
        p.pixels.insert(p.pixels.end(), pixels + size_t(y) * pitch, pixels + size_t(y) * pitch + p.width);
    texture->Unlock();
    return p;
}

// The sanitizers keep freed memory aside (and the thread sanitizer grows
// its shadow with every new address), so resident memory says nothing there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizer = true;
#else
constexpr bool kSanitizer = false;
#endif

size_t ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return size_t(resident) * size_t(sysconf(_SC_PAGESIZE));
}

class MiniVecDrawTest : public ::testing::Test {
protected:
    TTempLogFolder log{"minivec"};
    THeadlessDisplay display;
    TDnMiniVecDraw draw;

    void SetUp() override
    {
        draw.SetColour(1, kWhite, 1);
        draw.SetOverwrite(true);
        // Font units are pixels.
        draw.SetScale(4, 4);
    }

    // Draws into a new transparent texture (overwrite on) at pen (x, y) and
    // reads it back.
    Picture DrawInto(uint32_t w, uint32_t h, float x, float y, const std::function<void()>& body,
                     uint32_t fill = 0)
    {
        TTextureRef texture = MakeTestTexture(w, h, fill);
        draw.Begin(x, y, texture);
        body();
        draw.Flush();
        return Read(texture);
    }

    Picture DrawGlyphAt(const TestGlyph& glyph, float x, float y, uint32_t w = 16, uint32_t h = 16)
    {
        return DrawInto(w, h, x, y, [&] { draw.DrawGlyph(glyph.Commands(), 0, 0); });
    }
};

// Coverage rows (top to bottom) of a 4 x 4 window at (2, 2).
using Window = std::vector<std::vector<int32_t>>;

Window WindowAt(const Picture& p)
{
    Window w(4, std::vector<int32_t>(4));
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            w[size_t(y)][size_t(x)] = p.Coverage(2 + x, 2 + y);
    return w;
}

TEST_F(MiniVecDrawTest, SquareCoverageAtEverySubPixelOffset)
{
    struct Case {
        float penX, penY;
        Window coverage;
    } cases[] = {
        // A 2 x 2 pixel square on whole pixels: four full pixels.
        {2, 2, {{16, 16, 0, 0}, {16, 16, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
        // A quarter pixel right: three columns of samples in the first pixel,
        // one in the third.
        {2.25f, 2, {{12, 16, 4, 0}, {12, 16, 4, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
        // Half a pixel right and down.
        {2.5f, 2.5f, {{4, 8, 4, 0}, {8, 16, 8, 0}, {4, 8, 4, 0}, {0, 0, 0, 0}}},
        // Three quarters down only.
        {2, 2.75f, {{4, 4, 0, 0}, {16, 16, 0, 0}, {12, 12, 0, 0}, {0, 0, 0, 0}}},
        // A pen between quarters rounds down to its quarter.
        {2.3f, 2.1f, {{12, 16, 4, 0}, {12, 16, 4, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
    };
    const TestGlyph square = Square(0, 0, 2, 2);
    for (const Case& c : cases) {
        Picture p = DrawGlyphAt(square, c.penX, c.penY);
        EXPECT_EQ(WindowAt(p), c.coverage) << "pen " << c.penX << ", " << c.penY;
        EXPECT_EQ(p.CoverageSum(), 4.0) << "pen " << c.penX << ", " << c.penY;
    }
    // The same through the pen offset in quarter pixels.
    Picture p = DrawInto(16, 16, 1, 1, [&] { draw.DrawGlyph(square.Commands(), 6, 6); });
    EXPECT_EQ(WindowAt(p), cases[2].coverage);
}

TEST_F(MiniVecDrawTest, ScreenLinesCarryTheRampColourAndTheLineOffsets)
{
    const float half[4] = {1, 1, 1, 0.5f};
    draw.SetColour(1, half, 0.5f); // alpha 127 x 0.5 = 63
    ASSERT_TRUE(TRenderer::Get()->BeginDraw(false));
    ASSERT_TRUE(TRenderer::Get()->Begin2d());
    GfxRecordingLog().Clear();
    draw.Begin(10.5f, 20, TTextureRef());
    draw.DrawGlyph(Square(0, 0, 2, 1).Commands(), 0, 0);
    draw.Flush();
    TRenderer::Get()->End2d();
    TRenderer::Get()->EndDraw(false);

    const std::vector<GfxDrawRecord>& draws = GfxRecordingLog().draws;
    ASSERT_EQ(draws.size(), 1u);
    const GfxDrawRecord& lines = draws[0];
    EXPECT_EQ(lines.primitive, GfxPrimitive::LineList);
    // Pixel 10 half covered, 11 full, 12 half: three lines on row 20.
    const TDnMiniVecDraw::TLineOffsets o = draw.GetLineOffsets();
    struct Line {
        float x0, x1;
        uint32_t alpha;
    } expected[] = {{10, 11, 63 * 8 / 16}, {11, 12, 63}, {12, 13, 63 * 8 / 16}};
    ASSERT_EQ(lines.vertexCount, 6u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(lines.Float(2 * i, 0), expected[i].x0 + o.start) << i;
        EXPECT_FLOAT_EQ(lines.Float(2 * i + 1, 0), expected[i].x1 + o.end) << i;
        EXPECT_FLOAT_EQ(lines.Float(2 * i, 4), 20 + o.y) << i;
        EXPECT_FLOAT_EQ(lines.Float(2 * i + 1, 4), 20 + o.y) << i;
        EXPECT_EQ(lines.Word(2 * i, 16), expected[i].alpha << 24 | 0xFFFFFFu) << i;
    }
}

TEST_F(MiniVecDrawTest, ContoursOfOneShapeFillEvenOdd)
{
    // A 6 x 6 square with a 2 x 2 hole, both contours in one shape.
    mvec::TCommands ring;
    ring.LeftFill(1).Rect(0, 0, 6, 6).Rect(2, 2, 4, 4).End();
    Picture p = DrawGlyphAt(Glyph(ring), 1, 1);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            const bool hole = x >= 2 && x < 4 && y >= 2 && y < 4;
            EXPECT_EQ(p.Coverage(1 + x, 1 + y), hole ? 0 : 16) << x << "," << y;
        }
    EXPECT_EQ(p.CoverageSum(), 32.0);

    // The same hole in a new shape fills it again: shapes lie over each other.
    mvec::TCommands two;
    two.LeftFill(1).Rect(0, 0, 6, 6).Shape().LeftFill(1).Rect(2, 2, 4, 4).End();
    EXPECT_EQ(DrawGlyphAt(Glyph(two), 1, 1).CoverageSum(), 36.0);
}

// Shoelace area of a polygon.
double Area(const std::vector<std::pair<double, double>>& points)
{
    double twice = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const auto& a = points[i];
        const auto& b = points[(i + 1) % points.size()];
        twice += a.first * b.second - b.first * a.second;
    }
    return std::fabs(twice) / 2;
}

TEST_F(MiniVecDrawTest, CurvesAreThreeStraightSegments)
{
    // From (0, 8) through control (0, 0) to (8, 0), then back round the
    // corner at (8, 8).
    mvec::TCommands c;
    c.LeftFill(1).Move(0, 8).Curve(0, 0, 8, 0).Line(8, 8).Line(0, 8).End();
    Picture p = DrawGlyphAt(Glyph(c), 2, 2);
    auto bezier = [](double t) {
        const double u = 1 - t;
        return std::make_pair(2 * u * t * 0 + t * t * 8, u * u * 8 + 2 * u * t * 0);
    };
    const double flattened = Area({{0, 8}, bezier(1.0 / 3), bezier(2.0 / 3), {8, 0}, {8, 8}});
    // The true curve encloses 32 + 2/3 of 32; three segments a little less.
    EXPECT_LT(flattened, 32 + 64.0 / 3);
    EXPECT_NEAR(p.CoverageSum(), flattened, 0.75);
    // Straight across the corner would be 32.
    EXPECT_GT(p.CoverageSum(), 45);
}

TEST_F(MiniVecDrawTest, ColourGlyphsDrawTheirOwnColoursAndLeaveTheTextColour)
{
    TVecFont font(synthetic_font::Bytes(), "synthetic");
    const int32_t star = font.FindGlyph(synthetic_font::kColourCode);
    ASSERT_GE(star, 0);
    draw.SetScale(1, 1); // 100 font units: 25 pixels
    for (int32_t pass = 0; pass < 2; ++pass) {
        // The second pass replays the cached spans with the glyph's colours.
        Picture p = DrawInto(32, 32, 4, 24, [&] {
            draw.DrawGlyph(font.GetCommands(star), 0, 0);
            draw.DrawGlyph(Square(0, 0, 8, 4).Commands(), 0, 4 * 4);
        });
        // Centre: the blue inner shape; near the edge: the red outer one.
        EXPECT_EQ(p.At(4 + 12, 24 - 10), 0xFF0000FFu) << pass;
        EXPECT_EQ(p.At(4 + 2, 24 - 10), 0xFFFF0000u) << pass;
        // The plain glyph after it is still in the text colour.
        EXPECT_EQ(p.At(4 + 1, 24 + 4), 0xFFFFFFFFu) << pass;
    }
    EXPECT_EQ(draw.GetStats().rasterised, 3u); // the star once, the uncached square twice
    EXPECT_EQ(draw.GetStats().replayed, 1u);
}

TEST_F(MiniVecDrawTest, StrokesWidenTheGlyphInTheirOwnColours)
{
    draw.SetColour(255, kRed, 1);
    draw.SetColour(254, kGreen, 1);
    const TestGlyph square = Square(0, 0, 4, 4);
    struct Case {
        float first, second;
        uint32_t at[4]; // pixels 3, 2, 1 and 0 left of the square's left edge, on its middle row
        double inkSum;
    } cases[] = {
        {0, 0, {0, 0, 0, 0xFFFFFFFFu}, 16},
        // Both passes need the first: a second width alone draws nothing.
        {0, 1, {0, 0, 0, 0xFFFFFFFFu}, 16},
        // One pixel on every side in slot 255 (the fill stays on top).
        {1, 0, {0, 0, 0xFFFF0000u, 0xFFFFFFFFu}, 16 + 4 * 4 + 2},
        // Outline 2 in slot 255 under bold 1 in slot 254.
        {2, 1, {0, 0xFFFF0000u, 0xFF00FF00u, 0xFFFFFFFFu}, 16 + 4 * 2 * 4 + 8},
    };
    for (const Case& c : cases) {
        draw.SetStrokes(c.first, c.second);
        Picture p = DrawGlyphAt(square, 6, 6);
        for (int32_t i = 0; i < 4; ++i)
            EXPECT_EQ(p.At(6 - 3 + i, 8), c.at[i]) << c.first << "/" << c.second << " pixel " << i;
        // Sides fully covered, the pointed corners half (their slanted
        // edges sampled 4 x 4).
        EXPECT_NEAR(p.CoverageSum(), c.inkSum, 2) << c.first << "/" << c.second;
    }
}

// The centre of the ink on one row of a picture, in pixels.
double RowCentre(const Picture& p, int32_t y)
{
    double sum = 0, weighted = 0;
    for (int32_t x = 0; x < int32_t(p.width); ++x) {
        sum += p.Coverage(x, y);
        weighted += p.Coverage(x, y) * (x + 0.5);
    }
    return sum ? weighted / sum : -1;
}

TEST_F(MiniVecDrawTest, ItalicShearsAndRotationTurns)
{
    // A bar 1 wide and 9 high standing on the baseline.
    const TestGlyph bar = Square(0, -9, 1, 9);
    Picture upright = DrawGlyphAt(bar, 4, 12);
    EXPECT_DOUBLE_EQ(RowCentre(upright, 3), 4.5);
    EXPECT_DOUBLE_EQ(RowCentre(upright, 11), 4.5);

    // x -= y / 3: the top row (y -8.5) moves 8.5 / 3 right, the bottom row
    // (y -0.5) a sixth.
    draw.SetItalic(true);
    Picture italic = DrawGlyphAt(bar, 4, 12);
    EXPECT_NEAR(RowCentre(italic, 3) - 4.5, 8.5 / 3, 0.15);
    EXPECT_NEAR(RowCentre(italic, 11) - 4.5, 0.5 / 3, 0.15);
    EXPECT_NEAR(italic.CoverageSum(), 9, 0.01);
    draw.SetItalic(false);

    // A quarter turn: (x, y) -> (-y, x). The bar now lies along the x axis
    // right of the pen, one pixel below it.
    draw.SetRotation(0, 1);
    Picture turned = DrawGlyphAt(bar, 2, 4);
    for (int32_t x = 0; x < 16; ++x)
        for (int32_t y = 0; y < 16; ++y)
            EXPECT_EQ(turned.Coverage(x, y), (y == 4 && x >= 2 && x < 11) ? 16 : 0) << x << "," << y;

    // Half a turn: x and y mirrored (a sine of 0 still turns).
    draw.SetRotation(-1, 0);
    Picture half = DrawGlyphAt(bar, 8, 2);
    EXPECT_EQ(half.Coverage(7, 2), 16);
    EXPECT_EQ(half.Coverage(7, 10), 16);
    EXPECT_EQ(half.Coverage(7, 11), 0);
    EXPECT_EQ(half.CoverageSum(), 9.0);
}

TEST_F(MiniVecDrawTest, TextureTargetsBlendOrOverwrite)
{
    const float half[4] = {1, 1, 1, 1};
    draw.SetColour(1, half, 0.5f); // alpha 127
    const TestGlyph square = Square(0, 0, 2, 1);
    const uint32_t below = 0x800000FFu; // blue at alpha 0x80
    for (bool overwrite : {true, false}) {
        draw.SetOverwrite(overwrite);
        Picture p = DrawInto(8, 4, 1.5f, 1, [&] { draw.DrawGlyph(square.Commands(), 0, 0); }, below);
        const uint32_t full = p.At(2, 1), part = p.At(1, 1), none = p.At(4, 1);
        EXPECT_EQ(none, below);
        if (overwrite) {
            EXPECT_EQ(full, 0x7FFFFFFFu);
            EXPECT_EQ(part, 0x3FFFFFFFu); // 127 x 8 / 16
        } else {
            // Each colour becomes (below x (255 - a) + 255 x a) / 255; alpha stays.
            EXPECT_EQ(full, 0x80000000u | 127u << 16 | 127u << 8 | (255u * 128 + 255 * 127) / 255);
            EXPECT_EQ(part, 0x80000000u | 63u << 16 | 63u << 8 | (255u * 192 + 255 * 63) / 255);
        }
    }
}

TEST_F(MiniVecDrawTest, WritesStayInsideTheTextureImage)
{
    // A 10 x 6 image on a 16 x 8 surface: the surface's spare pixels are
    // never written, whatever part of a glyph lies outside the image.
    TTextureRef texture = MakeTestTexture(16, 8, 0);
    texture->GetData()->mWidth = 10;
    texture->GetData()->mHeight = 6;
    draw.Begin(-3, -3, texture);
    draw.DrawGlyph(Square(0, 0, 20, 12).Commands(), 0, 0);
    draw.Flush();
    texture->GetData()->mWidth = 16;
    texture->GetData()->mHeight = 8;
    Picture p = Read(texture);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 16; ++x)
            EXPECT_EQ(p.At(x, y), x < 10 && y < 6 ? 0xFFFFFFFFu : 0u) << x << "," << y;
}

TEST_F(MiniVecDrawTest, TheSpanCacheReplaysGlyphsItHasSeen)
{
    const TestGlyph a = Square(0, 0, 3, 2, 101), b = Square(0, 0, 1, 1, 102);
    struct Step {
        const TestGlyph* glyph;
        int32_t dx;      // quarter pixels
        float scale;
        uint32_t rasterised, replayed;
    } steps[] = {
        {&a, 0, 4, 1, 0},
        {&a, 0, 4, 1, 1},
        {&a, 16, 4, 1, 2},  // four whole pixels further: same sub-pixel position
        {&a, 17, 4, 2, 2},  // a quarter further: a new position
        {&b, 0, 4, 3, 2},   // another glyph
        {&a, 0, 5, 4, 2},   // another scale
        {&a, 0, 4, 4, 3},
    };
    TTextureRef texture = MakeTestTexture(32, 8, 0);
    Picture first;
    for (const Step& s : steps) {
        draw.SetScale(s.scale, s.scale);
        draw.Begin(2, 2, texture);
        draw.DrawGlyph(s.glyph->Commands(), s.dx, 0);
        draw.Flush();
        EXPECT_EQ(draw.GetStats().rasterised, s.rasterised) << &s - steps;
        EXPECT_EQ(draw.GetStats().replayed, s.replayed) << &s - steps;
    }
    // A replay draws what the scan drew.
    draw.SetScale(4, 4);
    Picture scanned = DrawGlyphAt(Square(0, 0, 3, 2, 103), 2.25f, 2);
    Picture replayed = DrawGlyphAt(Square(0, 0, 3, 2, 103), 2.25f, 2);
    EXPECT_EQ(draw.GetStats().replayed, 4u);
    EXPECT_EQ(scanned.pixels, replayed.pixels);

    // Key 0 and boxes are never cached.
    const uint32_t before = draw.GetStats().rasterised;
    for (int32_t i = 0; i < 3; ++i) {
        DrawGlyphAt(Square(0, 0, 1, 1, 0), 2, 2);
        DrawInto(8, 8, 2, 2, [&] { draw.DrawBox(0, 0, 1, 1, 0, 0); });
    }
    EXPECT_EQ(draw.GetStats().rasterised, before + 6);
    EXPECT_EQ(draw.GetStats().replayed, 4u);
}

TEST_F(MiniVecDrawTest, AFreedFontsGlyphsNeverHit)
{
    draw.SetScale(0.25f, 0.25f);
    auto font = std::make_unique<TVecFont>(synthetic_font::Bytes(), "first");
    const int32_t glyph = font->FindGlyph('A');
    ASSERT_GE(glyph, 0);
    DrawGlyphAt({}, 0, 0); // nothing: an empty command list
    auto drawA = [&](const TVecFont& f) {
        return DrawInto(32, 32, 2, 24, [&] { draw.DrawGlyph(f.GetCommands(glyph), 0, 0); });
    };
    Picture before = drawA(*font);
    drawA(*font);
    EXPECT_EQ(draw.GetStats().rasterised, 1u);
    font.reset();
    // Most likely at the same address as the first: drawn from its outline.
    auto second = std::make_unique<TVecFont>(synthetic_font::Bytes(), "second");
    Picture after = drawA(*second);
    EXPECT_EQ(draw.GetStats().rasterised, 2u);
    EXPECT_EQ(draw.GetStats().replayed, 1u);
    EXPECT_EQ(before.pixels, after.pixels);
}

TEST_F(MiniVecDrawTest, AGlyphWithMoreEdgesThanTheStoreDrawsAsItsParts)
{
    // 300 one-pixel squares two pixels apart: 600 edges.
    mvec::TCommands many;
    many.LeftFill(1);
    std::vector<TestGlyph> parts;
    for (int32_t y = 0; y < 15; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            many.Rect(2.0f * x, 2.0f * y, 2.0f * x + 1, 2.0f * y + 1);
            parts.push_back(Square(2.0f * x, 2.0f * y, 1, 1));
        }
    many.End();
    EXPECT_EQ(draw.GetStats().edgeCapacity, 512u);
    Picture whole = DrawGlyphAt(Glyph(many), 1.25f, 1.5f, 48, 36);
    EXPECT_EQ(draw.GetStats().edgeCapacity, 1024u);
    Picture pieces = DrawInto(48, 36, 1.25f, 1.5f, [&] {
        for (const TestGlyph& part : parts)
            draw.DrawGlyph(part.Commands(), 0, 0);
    });
    EXPECT_EQ(whole.CoverageSum(), 300.0);
    EXPECT_EQ(whole.pixels, pieces.pixels);
}

TEST_F(MiniVecDrawTest, TextAnimatedInScaleKeepsTheCacheUnderItsCap)
{
    TVecFont font(synthetic_font::Bytes(), "synthetic");
    const std::string text = "Quillory draws text";
    TTextureRef texture = MakeTestTexture(512, 48, 0);
    size_t most = 0, start = 0, peak = 0;
    for (int32_t frame = 0; frame < 10000; ++frame) {
        // A new scale each frame: new cache entries every frame.
        const float scale = 0.5f + float(frame) * 1e-4f;
        draw.SetScale(scale, scale);
        draw.Begin(2, 40, texture);
        float pen = 0;
        for (char c : text) {
            const int32_t glyph = font.FindGlyph(uint8_t(c));
            draw.DrawGlyph(font.GetCommands(glyph), int32_t(pen), 0);
            pen += font.GetAdvance(glyph) * scale;
        }
        draw.Flush();
        most = std::max(most, draw.GetStats().cacheBytes);
        // Resident memory rises and falls with the cache: never more than
        // its cap above where it started.
        if (frame == 10)
            start = ResidentBytes();
        if (frame > 10 && frame % 10 == 0)
            peak = std::max(peak, ResidentBytes());
        // The recording backend logs every lock of the texture.
        GfxRecordingLog().Clear();
    }
    const TDnMiniVecDraw::TStats stats = draw.GetStats();
    EXPECT_EQ(stats.rasterised + stats.replayed, 10000u * text.size());
    // Letters repeat within a frame, never across frames.
    EXPECT_GT(stats.rasterised, 10000u * 12);
    EXPECT_LE(most, stats.cacheCap);
    EXPECT_GT(most, stats.cacheCap / 2);
    EXPECT_GE(stats.cacheClears, 5u);
    // Without the cap the cache alone would have grown by some 60 MB. (Under
    // the sanitizers only the cache's own counter tells.)
    if (!kSanitizer) {
        EXPECT_LT(peak, start + stats.cacheCap + (size_t(1) << 20)) << "resident " << start << " -> " << peak;
    }
}

} // namespace

namespace {

// Damaged glyphs and impossible placements: a log line, what can be drawn
// is drawn, and nothing is read or written out of bounds.
TEST_F(MiniVecDrawTest, BadGlyphsAndPlacements)
{
    const float inf = INFINITY, nan = NAN;
    mvec::TCommands three;
    three.LeftFill(1).Rect(0, 0, 2, 2).Rect(3, 0, 5, 2).Rect(6, 0, 8, 2).End();
    std::vector<uint8_t> full = three.Bytes();
    // Cut inside the third square's second line: its first edges are
    // vertical or horizontal, so nothing of it shows.
    std::vector<uint8_t> cut(full.begin(), full.begin() + 2 + 2 * 25 + 5 + 5 + 3);
    std::vector<uint8_t> noEnd(full.begin(), full.end() - 1);
    std::vector<uint8_t> badOpcode = Square(0, 0, 2, 2).bytes;
    badOpcode.back() = 0x42;
    badOpcode.insert(badOpcode.end(), full.begin() + 2 + 25, full.end());

    struct Case {
        const char* name;
        std::vector<uint8_t> commands;
        float scaleX, scaleY, cosine, sine, stroke;
        int32_t lit;     // pixels lit
        const char* log; // expected log line, or null for none
    } cases[] = {
        {"whole", full, 4, 4, 1, 0, 0, 12, nullptr},
        {"cut short", cut, 4, 4, 1, 0, 0, 8, "damaged glyph outline"},
        {"no end", noEnd, 4, 4, 1, 0, 0, 12, "damaged glyph outline"},
        {"unknown opcode", badOpcode, 4, 4, 1, 0, 0, 4, "damaged glyph outline"},
        {"zero scale", full, 0, 4, 1, 0, 0, 0, nullptr},
        {"enormous scale", full, 1e7f, 1e7f, 1, 0, 0, 0, "reaching too far"},
        {"not a number", full, nan, 4, 1, 0, 0, 0, "reaching too far"},
        {"infinite turn", full, 4, 4, inf, 0, 0, 0, "reaching too far"},
        {"enormous stroke", full, 4, 4, 1, 0, 1e30f, 0, "reaching too far"},
    };
    for (const Case& c : cases) {
        TTempLogFolder caseLog("minivec-bad");
        TDnMiniVecDraw fresh;
        fresh.SetColour(1, kWhite, 1);
        fresh.SetScale(c.scaleX, c.scaleY);
        fresh.SetRotation(c.cosine, c.sine);
        fresh.SetStrokes(c.stroke, 0);
        fresh.SetOverwrite(true);
        TTextureRef texture = MakeTestTexture(16, 8, 0);
        fresh.Begin(1, 1, texture);
        // Drawn twice: the second time from the cache when it was cached.
        fresh.DrawGlyph({c.commands.data(), c.commands.size(), 7}, 0, 0);
        fresh.DrawGlyph({c.commands.data(), c.commands.size(), 7}, 0, 0);
        fresh.Flush();
        EXPECT_EQ(Read(texture).Lit(), c.lit) << c.name;
        if (c.log)
            EXPECT_EQ(caseLog.Count(c.log), 1) << c.name;
        else
            EXPECT_EQ(caseLog.Count("Glyph rasteriser"), 0) << c.name;
    }
}

TEST_F(MiniVecDrawTest, AGlyphWiderThanACoverageRowIsCut)
{
    // 250 font units at 16 pixels each: 4,000 pixels wide, one high, its
    // left edge 2,000 pixels left of the texture.
    TTextureRef texture = MakeTestTexture(2048, 2, 0);
    draw.SetScale(64, 4);
    draw.Begin(-2000, 0, texture);
    draw.DrawGlyph(Square(0, 0, 250, 1).Commands(), 0, 0);
    draw.Flush();
    Picture p = Read(texture);
    // The row starts one pixel left of the glyph and ends 3,200 pixels later.
    EXPECT_EQ(p.Coverage(0, 0), 16);
    EXPECT_EQ(p.Coverage(1197, 0), 16);
    EXPECT_EQ(p.Coverage(1198, 0), 0);
    EXPECT_EQ(p.Lit(), 1198);
    EXPECT_EQ(log.Count("wider than a coverage row"), 1);
}

TEST_F(MiniVecDrawTest, ATargetThatDoesNotLockDropsItsText)
{
    TTextureRef missing = MakeEmptyTestTexture();
    EXPECT_TRUE(draw.Begin(0, 0, missing));
    draw.DrawGlyph(Square(0, 0, 2, 2).Commands(), 0, 0);
    draw.Flush();
    EXPECT_EQ(log.Count("could not be locked"), 1);
    // Nothing went to the screen instead.
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
}

// Pictures the calibration might read back: each setting's two target
// pixels and six neighbours, set by a function of the setting.
std::vector<uint32_t> CalibrationPicture(const std::function<void(int32_t, uint32_t* p[8])>& paint)
{
    std::vector<uint32_t> picture(kCalibrationWidth * 4, 0xFF000000u);
    for (int32_t i = 0; i < kCalibrationSettings; ++i) {
        int32_t x1, y1, x2, y2;
        CalibrationTargets(i, x1, y1, x2, y2);
        auto at = [&](int32_t x, int32_t y) { return &picture[size_t(y) * kCalibrationWidth + size_t(x)]; };
        uint32_t* p[8] = {at(x1, y1), at(x2, y2), at(x1 - 1, y1), at(x1 + 1, y1),
                          at(x2 - 1, y2), at(x2 + 1, y2), at(x1, y1 - 1), at(x2, y2 + 1)};
        paint(i, p);
    }
    return picture;
}

TEST(MiniVecCalibration, JudgesTheBrightestExactHit)
{
    struct Case {
        const char* name;
        std::function<void(int32_t, uint32_t* p[8])> paint;
        int32_t chosen, blanks;
    } cases[] = {
        {"nothing drawn", [](int32_t, uint32_t**) {}, -1, 128},
        {"every setting exact, equally bright: the last",
         [](int32_t, uint32_t** p) { *p[0] = *p[1] = 0xFF808080u; }, 127, 0},
        {"the brightest exact hit",
         [](int32_t i, uint32_t** p) {
             if (i == 5 || i == 9 || i == 40)
                 *p[0] = *p[1] = i == 9 ? 0xFFFFFFFFu : 0xFF404040u;
         },
         9, 125},
        {"a neighbour lit: no pass; one target only: no pass",
         [](int32_t i, uint32_t** p) {
             *p[0] = 0xFFFFFFFFu;
             if (i % 2)
                 *p[1] = 0xFFFFFFFFu;
             *p[2 + i % 6] = 0xFF010000u;
         },
         -1, 0},
        {"a stray pixel alone is not blank",
         [](int32_t i, uint32_t** p) {
             if (i < 60)
                 *p[7] = 0xFF000001u;
         },
         -1, 68},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> picture = CalibrationPicture(c.paint);
        TCalibrationJudgement j = JudgeCalibration(picture.data(), kCalibrationWidth);
        EXPECT_EQ(j.chosen, c.chosen) << c.name;
        EXPECT_EQ(j.blanks, c.blanks) << c.name;
    }
    const TCalibrationSetting first = CalibrationSetting(0), last = CalibrationSetting(127),
                              some = CalibrationSetting(45);
    EXPECT_EQ((std::vector<float>{first.start, first.end, first.y}), (std::vector<float>{-1, -1, 0}));
    EXPECT_EQ((std::vector<float>{last.start, last.end, last.y}), (std::vector<float>{-0.25f, 0.75f, 0.75f}));
    EXPECT_EQ((std::vector<float>{some.start, some.end, some.y}), (std::vector<float>{-0.75f, 0.25f, 0.25f}));
}

// The recording backend draws no pixels: every setting is blank, so the
// calibration runs again with small batches and then falls back.
TEST_F(MiniVecDrawTest, CalibrationFallsBackWhenNothingIsDrawn)
{
    GfxRecordingLog().Clear();
    draw.Calibrate();
    EXPECT_EQ(draw.GetCalibrationSetting(), -1);
    const TDnMiniVecDraw::TLineOffsets o = draw.GetLineOffsets();
    EXPECT_EQ((std::vector<float>{o.start, o.end, o.y}), (std::vector<float>{-0.75f, -0.75f, 0.25f}));
    EXPECT_EQ(draw.GetBatchCapacity(), 64u);
    EXPECT_EQ(log.Count("128 of 128 test lines blank, trying again with batches of 64"), 1);
    EXPECT_EQ(log.Count("no line offsets passed, using -0.75, -0.75, 0.25"), 1);

    // 512 vertices per run: two lists of 256, then eight of 64.
    std::vector<uint32_t> counts;
    for (const GfxDrawRecord& d : GfxRecordingLog().draws)
        if (d.primitive == GfxPrimitive::LineList)
            counts.push_back(d.vertexCount);
    EXPECT_EQ(counts, (std::vector<uint32_t>{256, 256, 64, 64, 64, 64, 64, 64, 64, 64}));
    const GfxDrawRecord* lists = nullptr;
    for (const GfxDrawRecord& d : GfxRecordingLog().draws)
        if (!lists && d.primitive == GfxPrimitive::LineList)
            lists = &d;
    ASSERT_NE(lists, nullptr);
    const GfxDrawRecord& firstList = *lists;
    // Setting 0: column 1, row 1, offsets -1, -1, 0; setting 1's end offset -0.75.
    EXPECT_FLOAT_EQ(firstList.Float(0, 0), 0);
    EXPECT_FLOAT_EQ(firstList.Float(1, 0), 1);
    EXPECT_FLOAT_EQ(firstList.Float(0, 4), 1);
    EXPECT_FLOAT_EQ(firstList.Float(5, 0), 5 + 1 - 0.75f);
    EXPECT_EQ(GfxRecordingLog().Count("CreateSurface 800x512"), 2u);

    // A second calibration stays with small batches: no third run.
    GfxRecordingLog().Clear();
    draw.Calibrate();
    EXPECT_EQ(GfxRecordingLog().Count("CreateSurface 800x512"), 1u);
}

} // namespace
