// The .mvec reader: metrics of a font with known numbers, damaged files,
// the line metrics and squeeze factors, glyph lookup and command lists.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "render/VecFont.h"
#include "support/MvecWriter.h"
#include "support/SyntheticFont.h"

namespace {

std::vector<uint8_t> Write(std::vector<mvec::TGlyph> glyphs)
{
    return mvec::WriteFont(glyphs).bytes;
}

// Every command of a list, and whether the reader found it damaged.
struct TWalk {
    std::vector<TGlyphCommand> commands;
    bool damaged = false;
};

TWalk Walk(TGlyphCommands list)
{
    TWalk walk;
    TGlyphCommandReader reader(list);
    TGlyphCommand c;
    while (reader.Next(c))
        walk.commands.push_back(c);
    walk.damaged = reader.IsDamaged();
    return walk;
}

} // namespace

TEST(VecFont, SyntheticFontReadsBackItsMetrics)
{
    namespace sf = synthetic_font;
    TVecFont font(sf::Bytes(), "synthetic");
    EXPECT_EQ(font.GetGlyphCount(), 1 + 1 + 10 + 26 + 1 + 26 + 2);
    EXPECT_FLOAT_EQ(font.GetAscent(), sf::kAscent);
    EXPECT_FLOAT_EQ(font.GetDescent(), sf::kDescent);
    EXPECT_FLOAT_EQ(font.GetTopMargin(), sf::kTopMargin);
    EXPECT_FLOAT_EQ(font.GetBottomMargin(), sf::kBottomMargin);
    EXPECT_FLOAT_EQ(font.GetAscent() + font.GetDescent() + font.GetTopMargin() + font.GetBottomMargin(),
                    sf::kLineUnits);

    struct Case {
        uint32_t code;
        float left, right, top, bottom, advance, scale;
    };
    static const Case cases[] = {
        {' ', 0, 0, 0, 0, 25, 1},
        {'-', 0, 25, -30, -20, 25, 1},
        {'7', 0, 50, -80, 0, 50, 1},
        {'A', 0, 75, -80, 0, 75, 1},
        {'W', 0, 100, -80, 0, 100, 1},
        {'_', 0, 50, 15, 25, 50, 1},
        {'e', 0, 50, -50, 0, 50, 1},
        {'f', 0, 75, -80, 0, 50, 1},
        {'g', 0, 50, -50, 20, 50, 1},
        {'i', 0, 25, -50, 0, 25, 1},
        {'m', 0, 100, -50, 0, 100, 1},
        {sf::kTallCode, 0, 100, -197.5f, 0, 100, sf::kTallScale},
        {sf::kColourCode, 0, 100, -80, 0, 100, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        int32_t g = font.FindGlyph(c.code);
        ASSERT_GE(g, 0);
        EXPECT_EQ(font.GetCode(g), c.code);
        EXPECT_FLOAT_EQ(font.GetLeft(g), c.left);
        EXPECT_FLOAT_EQ(font.GetRight(g), c.right);
        EXPECT_FLOAT_EQ(font.GetTop(g), c.top);
        EXPECT_FLOAT_EQ(font.GetBottom(g), c.bottom);
        EXPECT_FLOAT_EQ(font.GetAdvance(g), c.advance);
        EXPECT_FLOAT_EQ(font.GetAdvance(g), sf::Advance(c.code));
        EXPECT_FLOAT_EQ(font.GetScaleFactor(g), c.scale);
    }
    for (uint32_t missing : {uint32_t('!'), uint32_t('.'), 0xE9u, 0x20ACu})
        EXPECT_EQ(font.FindGlyph(missing), -1) << missing;
}

TEST(VecFont, CommandListsDecodeOperandsExactly)
{
    namespace sf = synthetic_font;
    TVecFont font(sf::Bytes(), "synthetic");
    TWalk walk = Walk(font.GetCommands(font.FindGlyph(sf::kColourCode)));
    EXPECT_FALSE(walk.damaged);
    ASSERT_EQ(walk.commands.size(), 2u * 8u);
    EXPECT_EQ(walk.commands[0].opcode, kGlyphShape);
    EXPECT_EQ(walk.commands[1].opcode, kGlyphColour);
    EXPECT_EQ(walk.commands[1].rgb[0], 0xff);
    EXPECT_EQ(walk.commands[1].rgb[2], 0);
    EXPECT_EQ(walk.commands[2].opcode, kGlyphLeftFill);
    EXPECT_EQ(walk.commands[2].style, 1);
    EXPECT_EQ(walk.commands[3].opcode, kGlyphMove);
    EXPECT_FLOAT_EQ(walk.commands[3].x, 0);
    EXPECT_FLOAT_EQ(walk.commands[3].y, -80);
    EXPECT_EQ(walk.commands[8].opcode, kGlyphShape);
    EXPECT_EQ(walk.commands[9].rgb[2], 0xff);
    EXPECT_EQ(walk.commands[11].opcode, kGlyphMove);
    EXPECT_FLOAT_EQ(walk.commands[11].x, 25);
    EXPECT_FLOAT_EQ(walk.commands[11].y, -55);

    // Sub-unit precision and the signed range's ends survive.
    mvec::TCommands list;
    list.RightFill(3).Curve(-0.5f, 1.0f / 128, 255.9921875f, -256).End();
    TVecFont curve(Write({{'W', 0, 1, -1, 0, 1, list.Bytes()}}), "curve");
    walk = Walk(curve.GetCommands(0));
    ASSERT_EQ(walk.commands.size(), 2u);
    EXPECT_EQ(walk.commands[0].opcode, kGlyphRightFill);
    EXPECT_EQ(walk.commands[0].style, 3);
    EXPECT_EQ(walk.commands[1].opcode, kGlyphCurve);
    EXPECT_FLOAT_EQ(walk.commands[1].cx, -0.5f);
    EXPECT_FLOAT_EQ(walk.commands[1].cy, 1.0f / 128);
    EXPECT_FLOAT_EQ(walk.commands[1].x, 255.9921875f);
    EXPECT_FLOAT_EQ(walk.commands[1].y, -256);
    EXPECT_FALSE(walk.damaged);
}

// Damaged files keep every read inside the file: glyphs that do not fit
// are dropped, outlines outside the file are empty.
TEST(VecFont, DamagedFilesDropWhatDoesNotFit)
{
    const std::vector<uint8_t> good = Write({mvec::BoxGlyph('A', 10, 0, -8, 10, 0),
                                             mvec::BoxGlyph('W', 10, 0, -9, 10, 0),
                                             mvec::BoxGlyph('g', 10, 0, -5, 10, 2)});
    using Damage = std::function<void(std::vector<uint8_t>&)>;
    struct Case {
        const char* name;
        Damage damage;
        int32_t glyphs;
        int32_t withOutline; // glyphs whose command list lies inside the file; -1: any
    };
    const Case cases[] = {
        {"intact", [](std::vector<uint8_t>&) {}, 3, 3},
        {"wrong magic", [](std::vector<uint8_t>& f) { f[3] = '3'; }, 0, 0},
        {"empty file", [](std::vector<uint8_t>& f) { f.clear(); }, 0, 0},
        {"magic only", [](std::vector<uint8_t>& f) { f.resize(4); }, 0, 0},
        {"header cut after the count", [](std::vector<uint8_t>& f) { f.resize(6); }, 0, 0},
        {"header cut short", [](std::vector<uint8_t>& f) { f.resize(11); }, 0, 0},
        {"table cut inside the second record",
         [](std::vector<uint8_t>& f) { f.resize(mvec::RecordAt(1, 10)); }, 1, 0},
        // Records as far as the file goes: the outlines are read as records.
        {"count larger than the file", [](std::vector<uint8_t>& f) { mvec::PokeLe16(f, 4, 0xffff); },
         int32_t((good.size() - mvec::kHeaderSize) / mvec::kRecordSize), -1},
        {"count smaller than the table", [](std::vector<uint8_t>& f) { mvec::PokeLe16(f, 4, 2); }, 2, 2},
        {"outline offset at the end of the file",
         [](std::vector<uint8_t>& f) { mvec::PokeLe32(f, mvec::RecordAt(1, mvec::kRecordOffset), uint32_t(f.size())); },
         3, 2},
        {"outline offsets far outside",
         [](std::vector<uint8_t>& f) {
             mvec::PokeLe32(f, mvec::RecordAt(0, mvec::kRecordOffset), 0xffffffffu);
             mvec::PokeLe32(f, mvec::RecordAt(2, mvec::kRecordOffset), 0x80000000u);
         },
         3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        TVecFont font(bytes, c.name);
        EXPECT_EQ(font.GetGlyphCount(), c.glyphs);
        int32_t withOutline = 0;
        for (int32_t g = 0; g < font.GetGlyphCount(); ++g) {
            TGlyphCommands list = font.GetCommands(g);
            if (!list.data)
                continue;
            ++withOutline;
            EXPECT_LE(list.size, bytes.size());
            Walk(list);
        }
        if (c.withOutline >= 0) {
            EXPECT_EQ(withOutline, c.withOutline);
        }
        // A font without glyphs still has a usable line box.
        EXPECT_GE(font.GetAscent() + font.GetDescent(), 1);
        EXPECT_EQ(font.GetCommands(font.GetGlyphCount()).data, nullptr);
    }
}

// A command list stops at the end of the data: cut operands, a missing end
// and unknown opcodes end it as damaged; whatever came before is kept.
TEST(VecFont, CommandListsStopAtTheEndOfTheData)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> list;
        size_t commands;
        bool damaged;
    };
    const Case cases[] = {
        {"fill, move, end", {2, 1, 4, 0, 1, 0, 2, 8}, 2, false},
        {"empty list", {}, 0, true},
        {"no end", {2, 1, 4, 0, 1, 0, 2}, 2, true},
        {"move cut in its operands", {2, 1, 4, 0, 1}, 1, true},
        {"curve cut in its operands", {6, 0, 0, 0, 0, 0, 0, 0}, 0, true},
        {"colour cut in its operands", {1, 7, 255, 0}, 1, true},
        {"fill style missing", {2}, 0, true},
        {"unknown opcode", {1, 9, 8}, 1, true},
        {"opcode 0", {0, 8}, 0, true},
        {"bytes after the end are not read", {8, 77, 4}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The glyph's list is the last thing in the file.
        TVecFont font(Write({{'W', 0, 1, -1, 0, 1, c.list}}), c.name);
        TGlyphCommands list = font.GetCommands(0);
        if (c.list.empty()) {
            EXPECT_EQ(list.data, nullptr); // an offset at the end of the file is outside it
            continue;
        }
        EXPECT_EQ(list.size, c.list.size());
        TWalk walk = Walk(list);
        EXPECT_EQ(walk.commands.size(), c.commands);
        EXPECT_EQ(walk.damaged, c.damaged);
    }
    // A reader that has ended stays ended.
    const uint8_t bytes[] = {9, 8, 8};
    TGlyphCommandReader reader({bytes, sizeof bytes, 0});
    TGlyphCommand c;
    EXPECT_FALSE(reader.Next(c));
    EXPECT_FALSE(reader.Next(c));
    EXPECT_TRUE(reader.IsDamaged());
    TGlyphCommandReader none({});
    EXPECT_FALSE(none.Next(c));
}

TEST(VecFont, AnUnsortedTableIsSortedWithItsOutlines)
{
    std::vector<mvec::TGlyph> glyphs = {mvec::BoxGlyph('z', 30, 0, -3, 30, 0), mvec::BoxGlyph('W', 20, 0, -2, 20, 0),
                                        mvec::BoxGlyph('a', 10, 0, -1, 10, 0)};
    TVecFont font(Write(glyphs), "unsorted");
    ASSERT_EQ(font.GetGlyphCount(), 3);
    for (const mvec::TGlyph& want : glyphs) {
        int32_t g = font.FindGlyph(want.code);
        ASSERT_GE(g, 0);
        EXPECT_FLOAT_EQ(font.GetAdvance(g), want.advance);
        TWalk walk = Walk(font.GetCommands(g));
        ASSERT_EQ(walk.commands.size(), 6u);
        EXPECT_FLOAT_EQ(walk.commands[2].x, want.right); // the first line goes to the right edge
    }
    EXPECT_EQ(font.GetCode(0), uint32_t('W'));
    EXPECT_EQ(font.GetCode(2), uint32_t('z'));
}

TEST(VecFont, FindGlyphSearchesTheCodes)
{
    std::vector<mvec::TGlyph> glyphs;
    for (uint32_t code : {0u, 32u, 87u, 200u, 0x2122u, 0x10000u, 0xffffffffu})
        glyphs.push_back(mvec::BoxGlyph(code, 1, 0, -1, 1, 0));
    TVecFont font(Write(glyphs), "codes");
    for (size_t i = 0; i < glyphs.size(); ++i)
        EXPECT_EQ(font.FindGlyph(glyphs[i].code), int32_t(i));
    for (uint32_t missing : {1u, 31u, 33u, 199u, 0x2121u, 0xfffffffeu})
        EXPECT_EQ(font.FindGlyph(missing), -1) << missing;

    TVecFont empty(Write({}), "empty");
    EXPECT_EQ(empty.GetGlyphCount(), 0);
    EXPECT_EQ(empty.FindGlyph('W'), -1);
    // Out-of-range indexes read as 0, the scale factor as 1.
    for (int32_t bad : {-1, 0, 7}) {
        EXPECT_EQ(empty.GetAdvance(bad), 0);
        EXPECT_EQ(empty.GetTop(bad), 0);
        EXPECT_EQ(empty.GetScaleFactor(bad), 1);
        EXPECT_EQ(empty.GetCode(bad), 0u);
        EXPECT_EQ(empty.GetCommands(bad).data, nullptr);
    }
}

// Ascent: minus the top of "W", else the tallest ink among codes below 128.
// Descent: the deepest ink among codes below 128 but the underscore.
TEST(VecFont, AscentAndDescentRules)
{
    using mvec::BoxGlyph;
    struct Case {
        const char* name;
        std::vector<mvec::TGlyph> glyphs;
        float ascent, descent;
    };
    const Case cases[] = {
        {"W and a descender", {BoxGlyph('W', 9, 0, -70, 9, 0), BoxGlyph('g', 9, 0, -40, 9, 15)}, 70, 15},
        {"taller glyphs do not raise the ascent",
         {BoxGlyph('H', 9, 0, -90, 9, 0), BoxGlyph('W', 9, 0, -70, 9, 0)}, 70, 0},
        {"the underscore is left out",
         {BoxGlyph('W', 9, 0, -70, 9, 0), BoxGlyph('_', 9, 0, 20, 9, 40), BoxGlyph('y', 9, 0, -40, 9, 12)}, 70, 12},
        {"codes from 128 are left out",
         {BoxGlyph('W', 9, 0, -70, 9, 0), BoxGlyph(0xE7, 9, 0, -40, 9, 30), BoxGlyph(0x2122, 9, 0, -99, 9, 50)}, 70, 0},
        {"code 127 counts", {BoxGlyph('W', 9, 0, -70, 9, 0), BoxGlyph(127, 9, 0, -40, 9, 30)}, 70, 30},
        {"no W: the tallest below 128",
         {BoxGlyph('A', 9, 0, -60, 9, 0), BoxGlyph('b', 9, 0, -65, 9, 5), BoxGlyph(0xC5, 9, 0, -90, 9, 0)}, 65, 5},
        {"ink above the baseline only", {BoxGlyph('W', 9, 0, -70, 9, -10)}, 70, 0},
        {"no glyphs: a line box of one unit", {}, 1, 0},
        {"a flat W", {BoxGlyph('W', 9, 0, 0, 9, 0), BoxGlyph('.', 9, 0, -0.25f, 9, 0.25f)}, 0.75f, 0.25f},
        // A W entirely below the baseline would make a negative ascent.
        {"a W below the baseline", {BoxGlyph('W', 9, 0, 10, 9, 30)}, 0, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TVecFont font(Write(c.glyphs), c.name);
        EXPECT_FLOAT_EQ(font.GetAscent(), c.ascent);
        EXPECT_FLOAT_EQ(font.GetDescent(), c.descent);
        EXPECT_FLOAT_EQ(font.GetTopMargin(), 0.15f * (c.ascent + c.descent) / 0.8f);
        EXPECT_FLOAT_EQ(font.GetBottomMargin(), 0.05f * (c.ascent + c.descent) / 0.8f);
        for (int32_t g = 0; g < font.GetGlyphCount(); ++g) {
            float scale = font.GetScaleFactor(g);
            EXPECT_GT(scale, 0) << g;
            EXPECT_LE(scale, 1) << g;
        }
    }
}

// With ascent 80 and descent 20 the line box reaches 98.75 above the
// baseline and 26.25 below: taller glyphs are squeezed into it.
TEST(VecFont, GlyphsTallerThanTheLineBoxAreSqueezed)
{
    using mvec::BoxGlyph;
    struct Case {
        uint32_t code;
        float top, bottom, scale;
    };
    static const Case cases[] = {
        {0x100, -98.75f, 26.25f, 1},       // exactly the line box
        {0x101, -197.5f, 0, 0.5f},         // twice as high above
        {0x102, 0, 52.5f, 0.5f},           // twice as deep below
        {0x103, -197.5f, 105, 0.25f},      // the larger excess wins
        {0x104, 10, 20, 1},                // ink below the baseline only
        {0x105, -246.875f, -200, 0.4f},     // ink far above
    };
    std::vector<mvec::TGlyph> glyphs = {BoxGlyph('W', 9, 0, -80, 9, 0), BoxGlyph('g', 9, 0, -40, 9, 20)};
    for (const Case& c : cases)
        glyphs.push_back(BoxGlyph(c.code, 9, 0, c.top, 9, c.bottom));
    TVecFont font(Write(glyphs), "tall");
    ASSERT_FLOAT_EQ(font.GetAscent() + font.GetTopMargin(), 98.75f);
    ASSERT_FLOAT_EQ(font.GetDescent() + font.GetBottomMargin(), 26.25f);
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(font.GetScaleFactor(font.FindGlyph(c.code)), c.scale) << c.code;
}

// A command list's key names the glyph for caches: different for every
// glyph of every font, including a font made after another was freed.
TEST(VecFont, CommandKeysAreUniqueAcrossFonts)
{
    const std::vector<uint8_t> bytes = synthetic_font::Bytes();
    std::set<uint64_t> keys;
    size_t lists = 0;
    auto collect = [&](const TVecFont& font) {
        for (int32_t g = 0; g < font.GetGlyphCount(); ++g) {
            uint64_t key = font.GetCommands(g).key;
            EXPECT_NE(key, 0u);
            keys.insert(key);
            ++lists;
        }
    };
    auto first = std::make_unique<TVecFont>(bytes, "first");
    TVecFont second(bytes, "second");
    collect(*first);
    collect(second);
    first.reset();
    TVecFont third(bytes, "third");
    collect(third);
    EXPECT_EQ(keys.size(), lists);
    EXPECT_EQ(lists, 3u * size_t(second.GetGlyphCount()));
}
