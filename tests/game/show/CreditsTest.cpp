// The credits window: how a credits file becomes the three aligned
// columns, how the window lays them out and scrolls them on the fake clock,
// a missing file, and the game's own credits script and text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "OptionsTestSupport.h"
#include "os/gfx/recording/GfxRecording.h"
#include "render/TextLayout.h"

namespace {

using optionstest::OptionsFixture;

std::string Str(const TString& text)
{
    return text.c_str();
}

class CreditsTest : public OptionsFixture {
protected:
    // Builds a credits window of 400 x 200 in a layer of its own with the
    // given extra style (Lua table fields).
    TCredits* Open(const std::string& style)
    {
        const std::string code = "PushModal('roll layer')\nCreditsWindow{ name = 'roll', x = 0, y = 0, w = 400, "
                                 "h = 200, fontsize = 20, columngap = 10, columnwidth = 185, " +
                                 style + " }()\n";
        EXPECT_TRUE(Run(code)) << mLog.Text();
        return Top<TCredits>("roll");
    }
    // One frame of the window at the current fake time; the scroll
    // position it gave the columns.
    float DrawAt(TCredits* credits)
    {
        credits->Draw();
        EXPECT_EQ(credits->GetLeft()->GetFirstVisibleLine(), credits->GetFull()->GetFirstVisibleLine());
        EXPECT_EQ(credits->GetRight()->GetFirstVisibleLine(), credits->GetFull()->GetFirstVisibleLine());
        return credits->GetLeft()->GetFirstVisibleLine();
    }
};

TEST_F(CreditsTest, LinesSplitIntoAlignedColumns)
{
    const TString header("ff7f00ff");
    struct Case {
        const char* file;
        const char* left;
        const char* right;
        const char* full;
    } const cases[] = {
        {"Producer|Ann Lee\n", "\nProducer\n", "\nAnn Lee\n", "\n\n"},
        {"[Cast]\n", "\n\n", "\n\n", "\n<font color='ff7f00ff'>Cast</font>\n"},
        {"The [Best] Show\n", "\n\n", "\n\n", "\nThe <font color='ff7f00ff'>Best</font> Show\n"},
        // Blanks and tabs go at both ends of each part; nothing of the right
        // part reaches the left column.
        {"  \tHost \t|\t Corin  \n", "\nHost\n", "\nCorin\n", "\n\n"},
        // Split at the first bar only.
        {"a|b|c\n", "\na\n", "\nb|c\n", "\n\n"},
        {"|Tobin\n", "\n\n", "\nTobin\n", "\n\n"},
        {"\n", "\n\n", "\n\n", "\n\n"},
        // A last line without a line end is not read.
        {"Lead|Ann\nTail|Bob", "\nLead\n", "\nAnn\n", "\n\n"},
        // Text mode drops carriage returns.
        {"Lead|Ann\r\n[Art]\r\n", "\nLead\n\n", "\nAnn\n\n", "\n\n<font color='ff7f00ff'>Art</font>\n"},
        {"", "\n", "\n", "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        AddText("case.txt", c.file);
        const TCredits::Texts texts = TCredits::ReadTexts(TString("case.txt"), header, 0);
        EXPECT_EQ(Str(texts.left), c.left);
        EXPECT_EQ(Str(texts.right), c.right);
        EXPECT_EQ(Str(texts.full), c.full);
    }
}

TEST_F(CreditsTest, ALongLineIsCutAtTheBufferAndPaddingFollowsTheText)
{
    // 1100 characters: the reader gives 1023 of them (the last dropped as
    // if it were the line end), then the rest as a line of its own.
    const std::string line(1100, 'x');
    AddText("long.txt", line + "\n");
    const TCredits::Texts texts = TCredits::ReadTexts(TString("long.txt"), TString("ffffffff"), 3);
    EXPECT_EQ(Str(texts.full), "\n" + std::string(1022, 'x') + "\n" + std::string(77, 'x') + "\n\n\n\n");
    EXPECT_EQ(Str(texts.left), std::string(6, '\n'));
}

TEST_F(CreditsTest, HeaderColourTextTruncatesEachChannel)
{
    struct Case {
        float rgba[4];
        const char* text;
    } const cases[] = {
        {{1, 1, 1, 1}, "ffffffff"},
        {{1, 0.5f, 0, 1}, "ff7f00ff"},
        {{0.1f, 0.2f, 0.3f, 0.4f}, "19334c66"},
        {{2, -1, 0, 1}, "ff0000ff"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Str(TCredits::ColourText(c.rgba)), c.text);
}

TEST_F(CreditsTest, TheWindowLaysOutTwoCopiesAndRedrawsOnItsTimer)
{
    AddText("roll.txt", "[Team]\nLead|Ann\nArt|Bob\n");
    TCredits* credits = Open("file = 'roll.txt', time = 1000, headercolor = FColor(1, 0.5, 0, 1)");
    ASSERT_NE(credits, nullptr) << mLog.Text();
    // 200 / 20 = 10 lines of padding after the file's lines.
    const std::string pad(10, '\n');
    const std::string left = "\n\nLead\nArt\n" + pad;
    const std::string full = "\n<font color='ff7f00ff'>Team</font>\n\n\n" + pad;
    EXPECT_EQ(Str(credits->GetLeft()->GetText()), left + left);
    EXPECT_EQ(Str(credits->GetRight()->GetText()), "\n\nAnn\nBob\n" + pad + "\n\nAnn\nBob\n" + pad);
    EXPECT_EQ(Str(credits->GetFull()->GetText()), full + full);
    TRect bounds;
    credits->GetLeft()->GetBounds(bounds);
    EXPECT_GT(credits->GetHalfHeight(), 0);
    EXPECT_EQ(credits->GetHalfHeight(), bounds.bottom / 2);

    // The timer repeats: each tick asks for a frame.
    for (int i = 0; i < 3; ++i) {
        mManager->Frame();
        EXPECT_FALSE(mManager->NeedsRedraw());
        uitest::gNow += TCredits::kRedrawMs;
        mManager->GetTopModal()->RunTasks(kPassIdle);
        EXPECT_TRUE(mManager->NeedsRedraw()) << i;
    }
    EXPECT_TRUE(credits->IsStarted());
}

// The horizontal extent of everything a frame draws.
std::pair<float, float> DrawnColumns(TWindowManager& manager)
{
    GfxRecordingLog().Clear();
    // Frames are paced.
    uitest::gNow += 100;
    manager.Invalidate();
    manager.Frame();
    float left = 1e9f, right = -1e9f;
    for (const GfxDrawRecord& draw : GfxRecordingLog().draws)
        for (uint32_t v = 0; v < draw.vertexCount; ++v) {
            left = std::min(left, draw.Float(v, 0));
            right = std::max(right, draw.Float(v, 0));
        }
    return {left, right};
}

TEST_F(CreditsTest, EachColumnIsDrawnInItsHalfOfTheWindow)
{
    // 400 wide, gap 10, columns of 185: the left column within 10..195,
    // the right within 205..390, each line centred in its column; a full
    // line centred across both.
    struct Case {
        const char* line;
        float min, max;
    } const cases[] = {
        {"Wordy title here|\n", 10, 195},
        {"|Wordy name here\n", 205, 390},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        AddText("roll.txt", c.line);
        ASSERT_NE(Open("file = 'roll.txt', time = 1000"), nullptr);
        const auto [left, right] = DrawnColumns(*mManager);
        EXPECT_LT(left, right);
        EXPECT_GE(left, c.min);
        EXPECT_LE(right, c.max);
        EXPECT_NEAR((left + right) / 2, (c.min + c.max) / 2, 8);
        mManager->DoPopModal(TString("roll layer"));
        Pump();
    }
    AddText("roll.txt", "Wide and centred\n");
    ASSERT_NE(Open("file = 'roll.txt', time = 1000"), nullptr);
    const auto [left, right] = DrawnColumns(*mManager);
    EXPECT_LT(left, 195);
    EXPECT_GT(right, 205);
    EXPECT_NEAR((left + right) / 2, 200, 8);
}

TEST_F(CreditsTest, ScrollingStartsAfterTheIntroPauseAndLoopsAfterTime)
{
    AddText("roll.txt", "[Team]\nLead|Ann\nArt|Bob\nMusic|Cy\n");
    TCredits* credits = Open("file = 'roll.txt', time = 1000, intropause = 2000");
    ASSERT_NE(credits, nullptr);
    const int32_t half = credits->GetHalfHeight();
    ASSERT_GT(half, 0);
    // The clock starts at the first drawing, not at construction.
    uitest::gNow += 500;
    EXPECT_FALSE(credits->IsStarted());
    EXPECT_EQ(DrawAt(credits), 0.0f);
    EXPECT_EQ(credits->GetStartTime(), uitest::gNow);
    uitest::gNow += 1999;
    EXPECT_EQ(DrawAt(credits), 0.0f);
    uitest::gNow += 1 + 250;
    EXPECT_FLOAT_EQ(DrawAt(credits), float(half * 250 / 1000) / 20.0f);
    uitest::gNow += 500;
    EXPECT_FLOAT_EQ(DrawAt(credits), float(half * 750 / 1000) / 20.0f);
    // A whole pass brings back the first frame.
    uitest::gNow += 250;
    EXPECT_EQ(DrawAt(credits), 0.0f);
    uitest::gNow += 1000;
    EXPECT_EQ(DrawAt(credits), 0.0f);
}

TEST_F(CreditsTest, AMissingFileOrBadTimingShowsNothingAndKeepsRunning)
{
    TCredits* credits = Open("file = 'no/such.txt', time = 1000");
    ASSERT_NE(credits, nullptr);
    EXPECT_TRUE(LogHas("no/such.txt")) << mLog.Text();
    const std::string blank(11, '\n');
    EXPECT_EQ(Str(credits->GetFull()->GetText()), blank + blank);
    EXPECT_EQ(Str(credits->GetLeft()->GetText()), blank + blank);
    uitest::gNow += 300;
    DrawAt(credits);
    mManager->Frame();

    // No time, no font size: the text stands still at the default size.
    mManager->DoPopModal(TString("roll layer"));
    Pump();
    AddText("roll.txt", "Lead|Ann\n");
    credits = Open("file = 'roll.txt', time = 0, fontsize = -4, columnwidth = -30");
    ASSERT_NE(credits, nullptr);
    EXPECT_TRUE(LogHas("font size -4")) << mLog.Text();
    EXPECT_TRUE(LogHas("width -30")) << mLog.Text();
    DrawAt(credits);
    uitest::gNow += 5000;
    EXPECT_EQ(DrawAt(credits), 0.0f);
    // "\nAnn\n" and 200 / 16 lines of padding, twice.
    EXPECT_EQ(Str(credits->GetRight()->GetText()), "\nAnn\n" + std::string(12, '\n') + "\nAnn\n" + std::string(12, '\n'));
}

TEST_F(CreditsTest, TheGameCreditsRollFromTheirScriptAndCloseWithTheButton)
{
    ASSERT_TRUE(Run(R"(return function()
        DoModal("scripts/credits.lua")
        gCreditsClosed = true
        while true do WaitForMessage() end
    end)"));
    TCredits* credits = Top<TCredits>("roll");
    ASSERT_NE(credits, nullptr) << mLog.Text();
    // Every section has its header, and the studio is credited.
    const std::string full = Str(credits->GetFull()->GetText());
    EXPECT_NE(full.find(">QUILLORY</font>"), std::string::npos);
    EXPECT_NE(full.find("A Dunmere production"), std::string::npos);
    EXPECT_NE(Str(credits->GetRight()->GetText()).find("espeak-ng"), std::string::npos);
    uitest::gNow += 100;
    mManager->Frame();
    EXPECT_TRUE(credits->IsStarted());

    Click(mManager->GetTopModal()->FindChild(TString("btn_close")));
    for (int i = 0; i < 4; ++i) {
        Pump();
        Tick(20);
    }
    EXPECT_EQ(Eval("gCreditsClosed"), "true") << mLog.Text();
    EXPECT_EQ(Top<TCredits>("roll"), nullptr);
}

} // namespace
