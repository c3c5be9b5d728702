// The markup parser's pieces: tag normalisation, attribute values and
// numbers, colour values, and the two stacks of the markup state.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render/MarkupState.h"

namespace {

bool ReadTag(TMarkupTag& tag, const char* text, size_t& end)
{
    const size_t length = std::strlen(text);
    return tag.Read(text, length, 0, TMarkupTag::LastClose(text, length), end);
}

} // namespace

TEST(MarkupTag, Normalisation)
{
    struct Case {
        const char* text;
        const char* tag; // null: not a tag
        size_t end;
    };
    static const Case cases[] = {
        {"<b>x", "b", 3},
        // spaces outside quotes dropped; lower case except from "=" to a space
        {"<FONT size = '30' COLOR=\"FF0000\">", "fontsize='30'color=\"FF0000\"", 33},
        {"<A ID='MyLink'>", "aid='MyLink'", 15},
        // a space inside quotes stays, and ends the "=" exception
        {"<a id='My Link'>", "aid='My link'", 16},
        {"<br>>", "br", 4},
        {"<>", "", 2},
        // no ">" later: text
        {"<b", nullptr, 0},
        {"a>", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TMarkupTag tag;
        size_t end = 0;
        ASSERT_EQ(ReadTag(tag, c.text, end), c.tag != nullptr);
        if (c.tag) {
            EXPECT_STREQ(tag.Text(), c.tag);
            EXPECT_EQ(end, c.end);
        }
    }
    // 128 characters kept: the tag ends there, reading goes on after them
    std::string longTag = "<" + std::string(200, 'x') + ">";
    TMarkupTag tag;
    size_t end = 0;
    ASSERT_TRUE(ReadTag(tag, longTag.c_str(), end));
    EXPECT_EQ(std::strlen(tag.Text()), TMarkupTag::kMaxTag);
    EXPECT_EQ(end, 1 + TMarkupTag::kMaxTag);
}

TEST(MarkupTag, AttributesAndNumbers)
{
    struct Case {
        const char* text;
        const char* name;
        const char* value; // null: absent
        int32_t number;    // as read with fallback 7, clamped to -100..100
    };
    static const Case cases[] = {
        {"<br pad='12'>", "pad", "12", 12},
        {"<br pad=\"12abc\">", "pad", "12abc", 12},
        {"<br pad='abc'>", "pad", "abc", 0},
        {"<br pad='-300'>", "pad", "-300", -100},
        {"<br pad='99999999999999'>", "pad", "99999999999999", 100},
        // unquoted values are absent
        {"<br pad=12>", "pad", nullptr, 7},
        {"<br>", "pad", nullptr, 7},
        // a double quote is looked for first, for the opening and the closing quote
        {"<a id='x\"y\"'>", "id", "y", 0},
        {"<a id=\"it's\">", "id", "it's", 0},
        // the name is searched as a substring of the whole tag
        {"<tab pos='3'>", "pos", "3", 3},
        {"<font size='30' color='ff'>", "color", "ff", 0},
        {"<br pad='5>", "pad", nullptr, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TMarkupTag tag;
        size_t end = 0;
        ASSERT_TRUE(ReadTag(tag, c.text, end));
        TString value;
        ASSERT_EQ(tag.Attribute(c.name, value), c.value != nullptr);
        if (c.value) {
            EXPECT_STREQ(value.c_str(), c.value);
        }
        EXPECT_EQ(tag.Number(c.name, 7, -100, 100), c.number);
    }
}

TEST(MarkupTag, Colours)
{
    struct Case {
        const char* value;
        bool allowAlpha;
        float rgba[4];
    };
    const float h = 0x80 / 255.0f;
    const Case cases[] = {
        {"ff000080", true, {1, 0, 0, h}},
        // only RRGGBB where no alpha is allowed: the low 24 bits
        {"ff000080", false, {0, 0, h, 1}},
        {"#00FF00", true, {0, 1, 0, 1}},
        {"fff", true, {0, 0x0f / 255.0f, 1, 1}},
        {"zz", true, {0, 0, 0, 1}},
        {"", false, {0, 0, 0, 1}},
        // more than eight digits: the low 32 bits, read as RRGGBB
        {"123456789", true, {0x45 / 255.0f, 0x67 / 255.0f, 0x89 / 255.0f, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        float rgba[4] = {-1, -1, -1, -1};
        ParseMarkupColour(TString(c.value), c.allowAlpha, rgba);
        for (int i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(rgba[i], c.rgba[i]);
    }
}

TEST(MarkupState, StacksStopAt31LevelsAndResetClearsAll)
{
    TMarkupState state;
    const float red[4] = {1, 0, 0, 1};
    state.Reset(TString("base"), 16, red);
    for (int i = 1; i <= 40; ++i) {
        EXPECT_EQ(state.PushFont(), i <= 31);
        if (i <= 31)
            state.Font().size = i;
        state.PushAlignment(i % 3);
    }
    EXPECT_EQ(state.Font().size, 31);
    EXPECT_EQ(state.Alignment(), 31 % 3);
    for (int i = 0; i < 9; ++i) { // the pops of the pushes that did nothing
        state.PopFont();
        state.PopAlignment();
    }
    EXPECT_EQ(state.Font().size, 31);
    state.PopFont();
    state.PopAlignment();
    EXPECT_EQ(state.Font().size, 30);
    EXPECT_EQ(state.Alignment(), 30 % 3);
    for (int i = 0; i < 50; ++i) {
        state.PopFont();
        state.PopAlignment();
    }
    EXPECT_EQ(state.Font().size, 16);
    EXPECT_STREQ(state.Font().face.c_str(), "base");
    EXPECT_EQ(state.Alignment(), -1);

    state.bold = true;
    state.linkId = TString("x");
    state.outlineSize = 2;
    state.PushFont();
    state.Reset(TString("other"), 20, red);
    EXPECT_FALSE(state.bold);
    EXPECT_TRUE(state.linkId.IsEmpty());
    EXPECT_EQ(state.outlineSize, 0);
    EXPECT_EQ(state.Font().size, 20);
    state.PopFont();
    EXPECT_STREQ(state.Font().face.c_str(), "other");
}
