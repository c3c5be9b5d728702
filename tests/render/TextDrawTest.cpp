// Drawing a layout: the calls the glyph painter receives (pen origins,
// glyph offsets, scales, colours, strokes, boxes) for the synthetic font at
// 20 pixels, where a lower-case letter advances 32 quarter pixels and a
// line's baseline lies 63 quarter pixels below its top.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <vector>

#include "render/GlyphPainter.h"
#include "render/Renderer.h"
#include "render/TextFixture.h"
#include "support/TestDisplayHost.h"

using namespace text_test;

namespace {

class TRecordingPainter : public TGlyphPainter {
public:
    std::vector<std::string> calls;

    void SetColour(int32_t slot, const float c[4], float alpha) override
    {
        Add("Colour %d %g,%g,%g,%g x%g", slot, c[0], c[1], c[2], c[3], alpha);
    }
    bool Begin(float x, float y, const TTextureRef& target) override
    {
        Add("Begin %g,%g%s", x, y, target ? " target" : "");
        return true;
    }
    void DrawGlyph(TGlyphCommands commands, int32_t dx, int32_t dy) override
    {
        Add("Glyph %d,%d%s", dx, dy, commands.data ? "" : " none");
    }
    void DrawBox(float x0, float y0, float x1, float y1, int32_t dx, int32_t dy) override
    {
        Add("Box %g,%g-%g,%g at %d,%d", x0, y0, x1, y1, dx, dy);
    }
    void Flush() override { Add("Flush"); }
    void SetScale(float h, float v) override { Add("Scale %g,%g", h, v); }
    void SetRotation(float c, float s) override { Add("Rotation %.3g,%.3g", c, s); }
    void SetItalic(bool italic) override { Add("Italic %d", int(italic)); }
    void SetStrokes(float a, float b) override { Add("Strokes %g,%g", a, b); }
    void SetOverwrite(bool overwrite) override { Add("Overwrite %d", int(overwrite)); }

    // The calls that start with prefix, joined by "; ".
    std::string Of(const char* prefix) const
    {
        std::string out;
        for (const std::string& call : calls)
            if (call.rfind(prefix, 0) == 0)
                out += (out.empty() ? "" : "; ") + call;
        return out;
    }

private:
    void Add(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char buffer[160];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        calls.emplace_back(buffer);
    }
};

class TextDrawTest : public TextTest {
protected:
    void SetUp() override
    {
        TextTest::SetUp();
        TRenderer::Shutdown(); // no device: the viewport's corner is 0, 0
    }

    TRecordingPainter Draw(TTextLayout& layout, const TRect& rect = TRect(0, 0, 500, 500), float scale = 1,
                           int32_t spacing = 0, float alpha = 1)
    {
        TRecordingPainter painter;
        layout.DrawWith(painter, rect, scale, spacing, alpha, TTextureRef());
        return painter;
    }
};

} // namespace

TEST_F(TextDrawTest, NegativeScaleDrawsNothingAndZeroScaleNothingVisible)
{
    auto layout = Make("ab");
    EXPECT_TRUE(Draw(*layout, TRect(0, 0, 500, 500), -1).calls.empty());
    TRecordingPainter zero = Draw(*layout, TRect(0, 0, 500, 500), 0);
    EXPECT_EQ(zero.Of("Scale"), "Scale 0,0; Scale 0,0");
}

TEST_F(TextDrawTest, PenOriginGlyphOffsetsAndScales)
{
    // a tall glyph is squeezed vertically by its own factor
    auto layout = Make("ab\xC3\x85");
    TRecordingPainter p = Draw(*layout, TRect(10, 20, 500, 500), 1, 0, 0.5f);
    EXPECT_EQ(p.calls.front(), "Overwrite 0");
    EXPECT_EQ(p.Of("Rotation"), "Rotation 1,0");
    EXPECT_EQ(p.Of("Begin"), "Begin 11.5,35.75");
    EXPECT_EQ(p.Of("Glyph"), "Glyph 0,0; Glyph 32,0; Glyph 64,0");
    EXPECT_EQ(p.Of("Scale"), "Scale 0.64,0.64; Scale 0.64,0.64; Scale 0.64,0.32");
    EXPECT_EQ(p.Of("Colour"), "Colour 1 1,1,1,1 x0.5");
    EXPECT_EQ(p.Of("Strokes"), "Strokes 0,0");
    EXPECT_EQ(p.calls.back(), "Flush");
    layout->MarkDirty();
    EXPECT_EQ(Draw(*layout).calls.front(), "Overwrite 1");
}

TEST_F(TextDrawTest, LinesOutsideTheRectangleAreSkipped)
{
    struct SkipCase {
        const char* markup;
        int32_t flags;
        float scale;
        float firstLine;
        const char* begins;
    };
    static const SkipCase cases[] = {
        // the third line's bottom (40 + 20) lies below the rectangle's 45
        {"ab\ncd\nef", 0, 1, 0, "Begin 1.5,15.75; Begin 1.5,35.75"},
        // glyph sizes scale, the line advance does not
        {"ab\ncd\nef", 0, 2, 0, "Begin 3,31.5"},
        // bottom-aligned in a 200-pixel box: every line below the rectangle
        {"ab\ncd\nef", TTextLayout::kBottom, 1, 0, ""},
        // scrolled by a line and a half: the fraction moves the text up
        {"ab\ncd\nef", 0, 1, 1.5f, "Begin 1.5,5.75; Begin 1.5,25.75"},
    };
    for (const SkipCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scale << " " << c.firstLine);
        auto layout = Make(c.markup, 1000, c.flags, 200);
        layout->SetFirstVisibleLine(c.firstLine);
        EXPECT_EQ(Draw(*layout, TRect(0, 0, 500, 45), c.scale).Of("Begin"), c.begins);
    }
}

TEST_F(TextDrawTest, HoverLinkColoursOnlyItsRun)
{
    auto layout = Make("a<a id='L' color='0000ff'>b</a><a color='ff0000'>c");
    // no hover link: no run takes its link colour, not even those without an id
    // runs "a", "b", the empty one between the links, "c"
    EXPECT_EQ(Draw(*layout).Of("Colour 1"),
              "Colour 1 1,1,1,1 x1; Colour 1 1,1,1,1 x1; Colour 1 1,1,1,1 x1; Colour 1 1,1,1,1 x1");
    const int32_t overB[2] = {12, 5};
    ASSERT_TRUE(layout->IsOverLink(overB, 0));
    EXPECT_EQ(Draw(*layout).Of("Colour 1"),
              "Colour 1 1,1,1,1 x1; Colour 1 0,0,1,1 x1; Colour 1 1,1,1,1 x1; Colour 1 1,1,1,1 x1");
}

TEST_F(TextDrawTest, StrokesForBoldAndOutline)
{
    struct StrokeCase {
        const char* markup;
        const char* calls; // colours of the stroke slots and the widths
    };
    static const StrokeCase cases[] = {
        {"a", "Strokes 0,0"},
        // bold: 20 x 0.0125 pixels in slot 255
        {"<b>a", "Strokes 0,0; Colour 255 1,1,1,1 x1; Strokes 0.25,0"},
        {"<outline size='3' color='00ff00'>a", "Strokes 0,0; Colour 255 0,1,0,1 x1; Strokes 3,0"},
        // both: the outline band widens by the bold width, bold in slot 254
        {"<outline size='3' color='00ff00'><b>a",
         "Strokes 0,0; Colour 255 0,1,0,1 x1; Strokes 3,0; Colour 255 0,1,0,1 x1; Colour 254 1,1,1,1 x1; "
         "Strokes 3.25,0.25"},
    };
    for (const StrokeCase& c : cases) {
        SCOPED_TRACE(c.markup);
        auto layout = Make(c.markup);
        TRecordingPainter p = Draw(*layout);
        std::string got;
        for (const std::string& call : p.calls)
            if (call.rfind("Strokes", 0) == 0 || call.rfind("Colour 25", 0) == 0)
                got += (got.empty() ? "" : "; ") + call;
        EXPECT_EQ(got, c.calls);
    }
}

TEST_F(TextDrawTest, UnderlineCaretItalicAndTab)
{
    struct PenCase {
        const char* markup;
        const char* prefix;
        const char* calls;
    };
    static const PenCase cases[] = {
        // the underline runs along the run's advances (100 font units),
        // 2 to 2.75 pixels below the baseline, without shear or strokes
        {"<u>ab</u>", "Box", "Box 0,8-1,11 at 0,0"},
        {"<u>ab</u>", "Scale", "Scale 0.64,0.64; Scale 0.64,0.64; Scale 64,1"},
        {"x<u>ab</u>", "Box", "Box 0,8-1,11 at 32,0"},
        // the caret: three quarter pixels wide, from the ascent to the descent
        {"ab<cursor>", "Box", "Box 0,-80-3,20 at 64,0"},
        {"ab<cursor>", "Scale", "Scale 0.64,0.64; Scale 0.64,0.64; Scale 1,0.64"},
        // italic moves the pen by a third of the descent, then of the ascent
        {"<i>a</i>a", "Glyph", "Glyph 4,0; Glyph 53,0"},
        {"<i>a</i>a", "Italic", "Italic 0; Italic 1; Italic 0"},
        {"ab<tab pos='10'>c", "Glyph", "Glyph 0,0; Glyph 32,0; Glyph 40,0"},
        // characters without a glyph draw nothing and keep the pen
        {"a\xC3\x84" "b", "Glyph", "Glyph 0,0; Glyph 32,0"},
        // an escaped "<" is drawn (from the fallback font, at its scale)
        {"a\\<b", "Glyph", "Glyph 0,0; Glyph 32,0; Glyph 64,0"},
    };
    for (const PenCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.markup << " " << c.prefix);
        auto layout = Make(c.markup);
        EXPECT_EQ(Draw(*layout).Of(c.prefix), c.calls);
    }
}

TEST_F(TextDrawTest, RotationTurnsThePenOriginAndTheBaseline)
{
    auto layout = Make("ab");
    layout->SetRotation(90, 0, 0);
    TRecordingPainter p = Draw(*layout, TRect(10, 20, 500, 500));
    const std::string rotation = p.Of("Rotation");
    EXPECT_EQ(rotation.substr(rotation.size() - 2), ",1");
    // (1.5, 15.75) turned about the origin, then moved to the rectangle
    EXPECT_EQ(p.Of("Begin"), "Begin -5.75,21.5");
    // along the turned baseline: x rounds to nearest, y truncates (31.99...)
    EXPECT_EQ(p.Of("Glyph"), "Glyph 0,0; Glyph 0,31");
}

TEST_F(TextDrawTest, HostScaleFactorScalesGlyphsStrokesAndOrigin)
{
    TTestDisplayHost host;
    host.hosted = true;
    host.scale = 2;
    auto layout = Make("<b>ab");
    TRecordingPainter p = Draw(*layout, TRect(10, 20, 500, 500));
    EXPECT_EQ(p.Of("Begin"), "Begin 23,71.5; Begin 23,71.5");
    EXPECT_EQ(p.Of("Scale"), "Scale 1.28,1.28; Scale 1.28,1.28");
    EXPECT_EQ(p.Of("Glyph"), "Glyph 0,0; Glyph 64,0");
    EXPECT_EQ(p.Of("Strokes"), "Strokes 0,0; Strokes 0.5,0");
}
