// Text layout: markup strings laid out in the synthetic font (20 pixels:
// lower-case letters 8 pixels wide, "m" 16, the space 4; the first glyph's
// ink one pixel in, so a left-aligned line starts at 1.5) and checked line
// by line, then runs, bounds, hit tests and the font cache.
#include <gtest/gtest.h>

#include <string>

#include "render/TextFixture.h"
#include "support/TempFolder.h"

using namespace text_test;

namespace {

struct LayoutCase {
    const char* markup;
    int32_t width;
    int32_t flags;
    const char* lines; // line texts, see LineTexts
    const char* heights;
    const char* baselines;
    const char* starts; // x + xOffset per line
    const char* ends;   // the last run's end per line
};

constexpr int32_t kC = TTextLayout::kCentre, kR = TTextLayout::kRight;

class TextLayoutTest : public TextTest {
protected:
    void CheckCases(const LayoutCase* cases, size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            const LayoutCase& c = cases[i];
            SCOPED_TRACE(testing::Message() << "markup: " << c.markup << " width " << c.width);
            auto layout = Make(c.markup, c.width, c.flags);
            EXPECT_EQ(LineTexts(*layout), c.lines);
            EXPECT_EQ(Heights(*layout), c.heights);
            EXPECT_EQ(Baselines(*layout), c.baselines);
            EXPECT_EQ(Starts(*layout), c.starts);
            EXPECT_EQ(Ends(*layout), c.ends);
        }
    }
};

} // namespace

TEST_F(TextLayoutTest, LineEnds)
{
    static const LayoutCase cases[] = {
        {"ab\ncd", 1000, 0, "ab~|cd", "20,20", "63,63", "1.5,1.5", "17,17"},
        // the middle line holds only its line feed: as high as the font
        {"ab\n\ncd", 1000, 0, "ab~|~|cd", "20,20,20", "63,63,63", "1.5,0.5,1.5", "17,0,17"},
        {"ab<br pad='10'>cd", 1000, 0, "ab|cd", "30,20", "63,63", "1.5,1.5", "17,17"},
        {"ab<BR  PAD=\"10\">cd", 1000, 0, "ab|cd", "30,20", "63,63", "1.5,1.5", "17,17"},
        {"ab<br pad='-7'>cd", 1000, 0, "ab|cd", "20,20", "63,63", "1.5,1.5", "17,17"},
        {"ab</p>cd", 1000, 0, "ab|cd", "20,20", "63,63", "1.5,1.5", "17,17"},
        // a br alone counts as a character; the empty last line is 0 high
        {"<br>", 1000, 0, "|", "20,0", "63,0", "0.5,0.5", "0,0"},
        {"ab\n", 1000, 0, "ab~|", "20,0", "63,0", "1.5,0.5", "17,0"},
    };
    CheckCases(cases, std::size(cases));
}

TEST_F(TextLayoutTest, Wrapping)
{
    static const LayoutCase cases[] = {
        // the space at the break is dropped, the next word starts the line
        {"aa bb cc", 25, 0, "aa|bb|cc", "20,20,20", "63,63,63", "1.5,1.5,1.5", "17,17,17"},
        // tags after the space are read again for the next line
        {"aa <b>bb</b> cc", 25, 0, "aa|bb|cc", "20,20,20", "63,63,63", "1.5,1.5,1.5", "17,17,17"},
        {"aa <font size='10'>bb cc", 25, 0, "aa|bb cc", "20,10", "63,31", "1.5,1.5", "17,19"},
        // no space to break at: the character that overflows starts the next line
        {"mmm", 20, 0, "m|m|m", "20,20,20", "63,63,63", "1.5,1.5,1.5", "17,17,17"},
        // wider than the box on its own: one per line, never a loop
        {"mmm", 2, 0, "m|m|m", "20,20,20", "63,63,63", "1.5,1.5,1.5", "17,17,17"},
        {"ab", 0, 0, "a|b", "20,20", "63,63", "1.5,1.5", "9,9"},
        // a space at pen 0 is no place to break
        {" mmm", 20, 0, " |m|m|m", "20,20,20,20", "63,63,63,63", "1.5,1.5,1.5,1.5", "5,17,17,17"},
        // an outline widens the line by its size on both ends
        {"<outline size='3'>aa", 23, 0, "a|a", "20,20", "63,63", "4.5,4.5", "9,9"},
    };
    CheckCases(cases, std::size(cases));
}

TEST_F(TextLayoutTest, Alignment)
{
    static const LayoutCase cases[] = {
        // an alignment tag ends its line and applies from the next one
        {"<center>ab</center>cd", 100, 0, "|ab|cd", "0,20,20", "0,63,63", "0.5,43,1.5", "0,17,17"},
        {"<right>ab\ncd", 100, 0, "|ab~|cd", "0,20,20", "0,63,63", "0.5,83.5,83.5", "0,17,17"},
        {"ab\ncd", 100, kC, "ab~|cd", "20,20", "63,63", "43,43", "17,17"},
        {"ab\ncd", 100, kR, "ab~|cd", "20,20", "63,63", "83.5,83.5", "17,17"},
        {"ab", 100, kC | kR, "ab", "20", "63", "43", "17"},
        {"<left>ab", 100, kC, "|ab", "0,20", "0,63", "50.5,1.5", "0,17"},
        // nested: the pop returns to the outer centre
        {"<center><right>ab</right>cd", 100, 0, "||ab|cd", "0,0,20,20", "0,0,63,63", "0.5,50.5,83.5,43",
         "0,0,17,17"},
        // pops below the base change nothing
        {"</center></left>ab", 100, kR, "||ab", "0,0,20", "0,0,63", "99.5,99.5,83.5", "0,0,17"},
    };
    CheckCases(cases, std::size(cases));
}

TEST_F(TextLayoutTest, SizesTabsAndLiteralText)
{
    static const LayoutCase cases[] = {
        // the line takes the tallest run's height and baseline
        {"<font size='30'>ab</font>cd", 1000, 0, "abcd", "30", "94", "1.5", "41"},
        // sizes are clamped to 0..1024
        {"<font size='-5'>ab", 1000, 0, "ab", "0", "0", "1.5", "1"},
        {"<font size='99999'>a", 5000, 0, "a", "1024", "3235", "1.5", "410"},
        // a tab at 0 leaves the pen; any other moves it, backwards too
        {"ab<tab pos='0'>cd", 1000, 0, "abcd", "20", "63", "1.5", "33"},
        {"ab<tab pos='50'>cd", 1000, 0, "abcd", "20", "63", "1.5", "66"},
        {"abcdef<tab pos='5'>g", 1000, 0, "abcdefg", "20", "63", "1.5", "13"},
        {"ab<table pos='50'>cd", 1000, 0, "abcd", "20", "63", "1.5", "66"},
        // "<" without ">" is text ("<" and ">" come from the fallback font)
        {"a<b", 1000, 0, "a<b", "20", "63", "1.5", "25"},
        {"\\<b>x", 1000, 0, "\\<b>x", "20", "63", "1.5", "33"},
        {"a<zzz>b", 1000, 0, "ab", "20", "63", "1.5", "17"},
        {"a<>b", 1000, 0, "ab", "20", "63", "1.5", "17"},
        // broken input: a trailing backslash, UTF-8 cut short at the end
        {"ab\\", 1000, 0, "ab\\", "20", "63", "1.5", "17"},
        {"ab\xE2\x82", 1000, 0, "ab\xE2\x82", "20", "63", "1.5", "17"},
        {"ab\xF0", 1000, 0, "ab\xF0", "20", "63", "1.5", "17"},
        // a character that no font has takes no space
        {"a\xC3\x84" "b", 1000, 0, "a\xC3\x84" "b", "20", "63", "1.5", "17"},
        // the euro sign from the fallback font, at its own scale
        {"a\xE2\x82\xAC" "b", 1000, 0, "a\xE2\x82\xAC" "b", "20", "63", "1.5", "25"},
    };
    CheckCases(cases, std::size(cases));
}

TEST_F(TextLayoutTest, OverlongTagIsCutAndItsRestReadAsText)
{
    std::string markup = "<" + std::string(130, 'x') + ">ab";
    auto layout = Make(markup.c_str());
    EXPECT_EQ(LineTexts(*layout), "xx>ab");
    EXPECT_EQ(Ends(*layout), "41");
}

TEST_F(TextLayoutTest, Colours)
{
    auto layout = Make("<font color='ff000080'>a</font><a id='x' color='ff000080'>b</a>"
                       "<font color='#00FF00'>c<a id='y'>d</a>e</font>");
    auto runs = TextRuns(*layout);
    ASSERT_EQ(runs.size(), 5u);
    const float half = 128 / 255.0f;
    struct Expect {
        const char* text;
        float colour[4];
        const char* link;
        float linkColour[4];
    };
    const Expect expected[] = {
        {"a", {1, 0, 0, half}, "", {0, 0, 0, 0}},
        // as a link colour only the low 24 bits count
        {"b", {1, 1, 1, 1}, "x", {0, 0, half, 1}},
        // the end of a link takes the font colour of that moment; a link
        // without a colour takes the font's
        {"c", {0, 1, 0, 1}, "", {1, 1, 1, 1}},
        {"d", {0, 1, 0, 1}, "y", {0, 1, 0, 1}},
        {"e", {0, 1, 0, 1}, "", {0, 1, 0, 1}},
    };
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_EQ(RunText(*layout, *runs[i]), expected[i].text);
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(runs[i]->colour[k], expected[i].colour[k]);
            EXPECT_FLOAT_EQ(runs[i]->linkColour[k], expected[i].linkColour[k]);
        }
        EXPECT_EQ(std::string(runs[i]->linkId.c_str()), expected[i].link);
    }
}

TEST_F(TextLayoutTest, StylesByPrefix)
{
    // "bold" acts as "b", "img" as "i", "/br" as "/b"
    auto layout = Make("<b>a</b><i>b</i><u>c</u><bold>d<img>e</i></br>f<cursor>g"
                       "<outline color='00ff00' size='3'>h</outline>i<outline>j");
    auto runs = TextRuns(*layout);
    ASSERT_EQ(runs.size(), 10u);
    std::string got;
    for (const TTextRun* run : runs) {
        got += RunText(*layout, *run) + ":";
        got += run->bold ? "b" : "";
        got += run->italic ? "i" : "";
        got += run->underline ? "u" : "";
        got += run->cursor ? "c" : "";
        if (run->outlineSize > 0)
            got += "o" + std::to_string(int(run->outlineSize)) + (run->outlineColour[1] == 1 ? "g" : "");
        got += " ";
    }
    EXPECT_EQ(got, "a:b b:i c:u d:b e:bi f:c g: h:o3g i: j:o2 ");
}

TEST_F(TextLayoutTest, CursorCountsAsCharacterAndEmptyRunsHaveNoSize)
{
    auto layout = Make("<font size='40'><cursor></font>ab");
    // the run before the cursor tag is empty but counts; the one before
    // the font tag does not
    const auto& runs = layout->GetLines()[0]->runs;
    ASSERT_GE(runs.size(), 3u);
    EXPECT_EQ(runs[0].size, 0);
    EXPECT_EQ(runs[1].size, 40);
    EXPECT_EQ(runs[1].cursor, 1);
    EXPECT_EQ(Heights(*layout), "40");
}

TEST_F(TextLayoutTest, StacksHold31LevelsAboveTheBase)
{
    std::string markup;
    for (int i = 0; i < 31; ++i)
        markup += "<font size='30'>";
    // the 32nd push changes nothing and neither does its pop
    markup += "<font size='40'>a</font>b";
    for (int i = 0; i < 31; ++i)
        markup += "</font>";
    markup += "c</font></font>d";
    auto layout = Make(markup.c_str());
    std::string sizes;
    for (const TTextRun* run : TextRuns(*layout))
        sizes += RunText(*layout, *run) + std::to_string(run->size) + " ";
    EXPECT_EQ(sizes, "a30 b30 c20 d20 ");
}

TEST_F(TextLayoutTest, FallbackFontPerGlyphAndBack)
{
    auto layout = Make("ab\xE2\x82\xAC!cd");
    auto runs = TextRuns(*layout);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(RunText(*layout, *runs[0]), "ab");
    EXPECT_EQ(runs[0]->font, Face());
    EXPECT_EQ(runs[0]->markupFont, nullptr);
    EXPECT_EQ(RunText(*layout, *runs[1]), "\xE2\x82\xAC!");
    EXPECT_EQ(runs[1]->font, Fallback());
    EXPECT_EQ(runs[1]->markupFont, Face());
    EXPECT_FLOAT_EQ(runs[1]->scale, 0.32f);
    EXPECT_EQ(RunText(*layout, *runs[2]), "cd");
    EXPECT_EQ(runs[2]->font, Face());
}

TEST_F(TextLayoutTest, PenRules)
{
    struct PenCase {
        const char* markup;
        const char* ends; // every run's end, text runs and empty ones
    };
    static const PenCase cases[] = {
        // "f" inks past its advance: the pen moves to the ink, the rest is
        // held back for the next glyph
        {"f", "13"},
        {"fa", "17"},
        {"a", "9"},
        // italic leans: a third of the descent where it starts, of the
        // ascent where it ends
        {"<i>a</i>a", "0,10,22"},
    };
    for (const PenCase& c : cases) {
        SCOPED_TRACE(c.markup);
        auto layout = Make(c.markup);
        std::string ends;
        for (const TTextRun& run : layout->GetLines()[0]->runs)
            ends += (ends.empty() ? "" : ",") + std::to_string(run.xEnd);
        EXPECT_EQ(ends, c.ends);
    }
}

TEST_F(TextLayoutTest, Bounds)
{
    struct BoundsCase {
        const char* markup;
        int32_t flags;
        float firstLine;
        TRect bounds;
    };
    const int32_t middle = TTextLayout::kMiddle, bottom = TTextLayout::kBottom;
    static const BoundsCase cases[] = {
        {"ab\ncdeh", kC, 0, {35, 0, 68, 40}},
        {"ab\ncdeh", kC | bottom, 0, {35, 60, 68, 100}},
        {"ab\ncdeh", kC | middle, 0, {35, 30, 68, 70}},
        {"ab\ncdeh", middle | bottom, 0, {1, 30, 34, 70}},
        // scrolled: the sides from the visible lines, the height from all
        {"abcdef\nab", 0, 1.5f, {1, 0, 18, 40}},
        {"ab", 0, 5, {0, 0, 0, 20}},
        {"", middle, 0, {0, 0, 0, 0}},
        // a 21-pixel block centred: the half pixel truncated; the empty last
        // line after the br has a run and counts for the left side
        {"ab<br pad='1'>", middle, 0, {0, 39, 18, 60}},
    };
    for (const BoundsCase& c : cases) {
        SCOPED_TRACE(c.markup);
        auto layout = Make(c.markup, 100, c.flags, 100);
        layout->SetFirstVisibleLine(c.firstLine);
        TRect got;
        layout->GetBounds(got);
        EXPECT_EQ(got.left, c.bounds.left);
        EXPECT_EQ(got.top, c.bounds.top);
        EXPECT_EQ(got.right, c.bounds.right);
        EXPECT_EQ(got.bottom, c.bounds.bottom);
    }
}

TEST_F(TextLayoutTest, LinkHitTests)
{
    // runs: "ab" 0..17, the link "cd" 17..33, "ef" 33..49, left edge 1.5;
    // the second line from y 20
    auto layout = Make("ab<a id='L1'>cd</a>ef\n<a id='L2'>gh");
    struct HitCase {
        int32_t x, y, spacing;
        const char* link;
    };
    static const HitCase cases[] = {
        {19, 5, 0, "L1"}, {34, 5, 0, "L1"}, {18, 5, 0, ""}, {35, 5, 0, ""},
        {5, 25, 0, "L2"}, {5, -1, 0, ""},  {20, -3, 5, "L1"}, {5, 41, 0, ""},
        // with spacing the second line starts 5 lower, its top band reaching up
        {20, 19, 5, "L1"}, {5, 21, 5, "L2"},
    };
    for (const HitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " spacing " << c.spacing);
        TString link("stale");
        layout->GetLinkAt(link, c.x, c.y, c.spacing);
        EXPECT_STREQ(link.c_str(), c.link);
    }
    // the hover link changes only when the id under the point does
    const int32_t onLink[2] = {20, 5}, offLink[2] = {5, 5};
    EXPECT_TRUE(layout->IsOverLink(onLink, 0));
    EXPECT_STREQ(layout->GetHoverLink().c_str(), "L1");
    EXPECT_FALSE(layout->IsOverLink(onLink, 0));
    EXPECT_TRUE(layout->IsOverLink(offLink, 0));
    EXPECT_FALSE(layout->IsOverLink(nullptr, 0));
    // scrolled past the first line, its links are out of reach
    layout->SetFirstVisibleLine(1);
    TString link;
    layout->GetLinkAt(link, 5, 5, 0);
    EXPECT_STREQ(link.c_str(), "L2");
}

TEST_F(TextLayoutTest, FindLineAt)
{
    auto layout = Make("a\nb\nc\nd\ne", 100, 0, 50);
    struct FitCase {
        float scale;
        int32_t spacing;
        int32_t line;
    };
    static const FitCase cases[] = {{1, 0, 3}, {0.5f, 0, 0}, {1, 5, 3}, {1, 20, 4}, {0.4f, 0, 0}, {2, 0, 4}};
    for (const FitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scale << " " << c.spacing);
        EXPECT_EQ(layout->FindLineAt(c.scale, c.spacing), c.line);
    }
    EXPECT_EQ(Make("")->FindLineAt(1, 0), 0);
}

TEST_F(TextLayoutTest, RelayoutOnlyOnChange)
{
    auto layout = Make("ab");
    auto first = layout->GetLines()[0];
    layout->SetText(TString("ab"));
    EXPECT_EQ(layout->GetLines()[0], first);
    const float white[4] = {1, 1, 1, 1}, red[4] = {1, 0, 0, 1};
    layout->SetColor(white);
    EXPECT_EQ(layout->GetLines()[0], first);
    layout->SetColor(red);
    ASSERT_NE(layout->GetLines()[0], first);
    EXPECT_EQ(layout->GetLines()[0]->runs[0].colour[1], 0.0f);
    layout->SetText(TString(""));
    EXPECT_EQ(layout->GetLineCount(), 0);
    EXPECT_EQ(layout->GetTotalHeight(), 0);

    // near the identity the rotation snaps to exactly 1 and 0
    layout->SetRotation(0.001f, 0, 0);
    EXPECT_EQ(layout->GetRotationCos(), 1.0f);
    EXPECT_EQ(layout->GetRotationSin(), 0.0f);
    layout->SetRotation(90, 10, 20);
    EXPECT_NEAR(layout->GetRotationCos(), 0.0f, 1e-6);
    EXPECT_EQ(layout->GetRotationSin(), 1.0f);
    EXPECT_FALSE(layout->GetOverwrite());
    layout->MarkDirty();
    EXPECT_TRUE(layout->GetOverwrite());
    std::unique_ptr<TTextLayout> none;
    TTextLayout::Delete(none);
    TTextLayout::Delete(layout);
    EXPECT_EQ(layout, nullptr);
}

TEST_F(TextLayoutTest, WithoutFontsCharactersTakeNoSpace)
{
    TTempFolder folder("textlayout");
    TLogCapture log(folder.Path());
    SetTextServices(nullptr, nullptr);
    auto layout = Make("ab cd\nef");
    EXPECT_EQ(LineTexts(*layout), "ab cd~|ef");
    EXPECT_EQ(Ends(*layout), "0,0");
    EXPECT_EQ(Heights(*layout), "20,20");
    // one line per layout pass, not one per character
    EXPECT_EQ(log.Count("ERROR: FONT missing in text when attempting to render string ab cd"), 1);
}

using FontCacheTest = TextTest;

TEST_F(FontCacheTest, NamesShareOneFontAndAreLookedUpOnce)
{
    TVecFont* face = Face();
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(mCache->Lookup(TString(kFace)), face);
    auto a = Make("a"), b = Make("b");
    EXPECT_EQ(a->GetLines()[0]->runs[0].font, b->GetLines()[0]->runs[0].font);

    // a missing file gets fonts/default.mvec under its own name, and keeps
    // it even once a file of that name appears
    TVecFont* missing = mCache->Lookup(TString("fonts/missing.mvec"));
    ASSERT_NE(missing, nullptr);
    EXPECT_NE(missing, Fallback());
    EXPECT_EQ(missing->GetGlyphCount(), Fallback()->GetGlyphCount());
    RegisterMemoryFile("fonts/missing.mvec", mFace.data(), uint32_t(mFace.size()));
    EXPECT_EQ(mCache->Lookup(TString("fonts/missing.mvec")), missing);
    EXPECT_EQ(missing->GetGlyphCount(), Fallback()->GetGlyphCount());
    RegisterMemoryFile("fonts/missing.mvec", nullptr, 0);

    mCache->Clear();
    EXPECT_EQ(mCache->GetCount(), 0u);
}

TEST_F(FontCacheTest, DefaultNameAndLastResortAreTheBuiltInFont)
{
    const int32_t builtinGlyphs = int32_t(synthetic_font::Glyphs().size());
    ASSERT_NE(builtinGlyphs, Fallback()->GetGlyphCount());
    // an empty face name is the built-in font even though default.mvec exists
    const float white[4] = {1, 1, 1, 1};
    auto layout = TTextLayout::Create(TString("a"), 100, 100, 0, nullptr, 20, white);
    TVecFont* builtin = layout->GetLines()[0]->runs[0].font;
    ASSERT_NE(builtin, nullptr);
    EXPECT_EQ(builtin, mCache->Lookup(TString("__DEFAULT")));
    EXPECT_EQ(builtin->GetGlyphCount(), builtinGlyphs);

    // neither the file nor default.mvec: a copy of the built-in font
    RegisterMemoryFile(TFontCache::kFallbackName, nullptr, 0);
    TFontCache fresh(mBuiltin.data(), mBuiltin.size());
    TVecFont* lastResort = fresh.Lookup(TString("fonts/none.mvec"));
    ASSERT_NE(lastResort, nullptr);
    EXPECT_EQ(lastResort->GetGlyphCount(), builtinGlyphs);
    EXPECT_NE(fresh.Lookup(TString("__DEFAULT")), lastResort);
}

TEST_F(FontCacheTest, DamagedFontFilesGiveFontsWithoutGlyphs)
{
    static const uint8_t kNotAFont[] = {'M', 'V', 'C'};
    RegisterMemoryFile("fonts/short.mvec", kNotAFont, sizeof kNotAFont);
    RegisterMemoryFile("fonts/empty.mvec", kNotAFont, 0);
    for (const char* name : {"fonts/short.mvec", "fonts/empty.mvec"}) {
        SCOPED_TRACE(name);
        TVecFont* font = mCache->Lookup(TString(name));
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->GetGlyphCount(), 0);
        // its characters come from the fallback font
        const float white[4] = {1, 1, 1, 1};
        auto layout = TTextLayout::Create(TString("aW"), 1000, 100, 0, name, 20, white);
        auto runs = TextRuns(*layout);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0]->font, Fallback());
        EXPECT_EQ(runs[0]->markupFont, font);
    }
    RegisterMemoryFile("fonts/short.mvec", nullptr, 0);
    RegisterMemoryFile("fonts/empty.mvec", nullptr, 0);
}
