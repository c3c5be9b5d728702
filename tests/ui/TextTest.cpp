// The text widget: label translation, font defaults, links clicking the
// dialog's buttons, text changes and invalidation, windows of zero size,
// scrolling, drawing through the recording device and the script natives.
#include <gtest/gtest.h>

#include <bit>
#include <memory>
#include <string>

#include "os/gfx/recording/GfxRecording.h"
#include "TextTestSupport.h"
#include "WindowScriptSupport.h"
#include "ui/Button.h"
#include "ui/Text.h"
#include "ui/WindowScript.h"

namespace uitest {
namespace {

// What the link hook accepts as a button: windows of this class.
class ClickProbe : public TWindow {
public:
    int clicks = 0;
};

bool ClickIfProbe(TWindow* window)
{
    auto* probe = dynamic_cast<ClickProbe*>(window);
    if (probe)
        ++probe->clicks;
    return probe != nullptr;
}

class TextTest : public TextFixture {
protected:
    void SetUp() override
    {
        TextFixture::SetUp();
        mButtonClick = TText::GetButtonClick();
        TText::SetButtonClick(&ClickIfProbe);
    }
    void TearDown() override
    {
        TText::SetButtonClick(mButtonClick);
        TextFixture::TearDown();
    }

    TText::TButtonClick mButtonClick = nullptr;

    const TTextRun& FirstRun(const TText* text) const
    {
        return text->GetLayout()->GetLines().at(0)->runs.at(0);
    }
};

TEST_F(TextTest, LabelsAreLookedUpOnlyWhileTheScriptTranslatesThem)
{
    mScript.strings["HELLO"] = "Hello there";
    struct Case {
        bool translate;
        const char* label;
        const char* shown;
    } cases[] = {
        {true, "#word", "word"},          {true, "12.5", "12.5"},     {true, "007", "007"},
        {true, "HELLO", "Hello there"},   {true, "MISSING", "#####"}, {true, "1.5x", "#####"},
        {false, "#word", "#word"},        {false, "HELLO", "HELLO"},  {true, "", ""},
    };
    ModalProbe* dialog = PushDialog("dialog");
    for (const Case& c : cases) {
        mScript.translate = c.translate;
        TText* text = Make<TText>(dialog, std::string("{ w = 200, h = 40, label = '") + c.label + "' }");
        EXPECT_EQ(Str(text->GetText()), c.shown) << c.label << " translate " << c.translate;
        EXPECT_EQ(mScript.translate, c.translate) << "the option is restored";
    }
}

TEST_F(TextTest, FontListDefaultsAndColour)
{
    struct Case {
        const char* font;
        int32_t size;
        bool testFace;
        float red;
    } cases[] = {
        {"", 16, false, 1},                                 // no list: built-in font, 16, white
        {"font = { 'fonts/test.mvec' },", 16, true, 1},     // no size
        {"font = { 'fonts/test.mvec', 0 },", 12, true, 1},  // size 0
        {"font = { '__DEFAULT', 30, { 0.5, 0, 0, 1 } },", 30, false, 0.5f},
        {"font = { 'fonts/test.mvec', -4 },", 16, true, 1}, // negative: logged, default
        {"font = 'not a list',", 16, false, 1},
    };
    ModalProbe* dialog = PushDialog("dialog");
    for (const Case& c : cases) {
        TText* text = Make<TText>(dialog, std::string("{ ") + c.font + " w = 300, h = 60, label = 'ab' }");
        ASSERT_NE(text->GetLayout(), nullptr) << c.font;
        const TTextRun& run = FirstRun(text);
        EXPECT_EQ(run.size, c.size) << c.font;
        EXPECT_EQ(run.font, c.testFace ? mFonts->Lookup("fonts/test.mvec") : mFonts->Lookup("__DEFAULT"))
            << c.font;
        EXPECT_FLOAT_EQ(run.colour[0], c.red) << c.font;
    }
    EXPECT_EQ(LogCount("font size -4"), 1u) << mLog.Text();
}

TEST_F(TextTest, PressAndReleaseOnOneLinkClicksTheDialogsButtonOfThatName)
{
    ModalProbe* dialog = PushDialog("dialog", 100, 100, 400, 300);
    auto* ok = Place(dialog, new ClickProbe, 300, 250, 20, 20);
    ok->SetName("ok");
    // "ab" takes 0..16, the link "cd" 16..32 on a 20-pixel line.
    TText* text = Make<TText>(
        dialog, "{ x = 10, y = 10, w = 200, h = 100, font = { 'fonts/test.mvec', 20 }, "
                "label = \"ab<a id='ok'>cd</a>ef <a id='gone'>gh</a> <a id='plain'>ij</a>\" }");
    Place(dialog, new Probe("plain", 0), 0, 250, 10, 10);
    ASSERT_NE(text->GetLayout(), nullptr);
    const int32_t linkX = 100 + 10 + 20, y = 100 + 10 + 10;

    Send(kEventLeftDown, linkX, y);
    Send(kEventLeftUp, linkX + 4, y);
    EXPECT_EQ(ok->clicks, 1);

    // Released off the link: nothing, and the pressed link is forgotten.
    Send(kEventLeftDown, linkX, y);
    Send(kEventLeftUp, 100 + 10 + 4, y);
    Send(kEventLeftUp, linkX, y);
    EXPECT_EQ(ok->clicks, 1);

    // Pressing outside any link is not the text's.
    gLog.clear();
    Send(kEventLeftDown, 100 + 10 + 4, y);
    EXPECT_EQ(Only("dialog:down").size(), 1u);

    mLog.Restart();
    const int32_t gone = 100 + 10 + 7 * 8 + 4, plain = 100 + 10 + 10 * 8 + 4;
    Send(kEventLeftDown, gone, y);
    Send(kEventLeftUp, gone, y);
    Send(kEventLeftDown, plain, y);
    Send(kEventLeftUp, plain, y);
    EXPECT_TRUE(LogHas("ERROR: Command window gone not found")) << mLog.Text();
    EXPECT_TRUE(LogHas("ERROR: Command window plain not a derived class of TButton")) << mLog.Text();
    EXPECT_EQ(ok->clicks, 1);
}

TEST_F(TextTest, ALinkClicksARealButton)
{
    TText::SetButtonClick(mButtonClick); // the button class's own
    ModalProbe* dialog = PushDialog("dialog", 0, 0, 400, 300);
    Make<TButton>(dialog, "{ name = 'ok', x = 300, y = 250, w = 20, h = 20 }");
    Make<TText>(dialog, "{ w = 200, h = 40, font = { 'fonts/test.mvec', 20 }, label = \"ab<a id='ok'>cd</a>\" }");
    gLog.clear();
    Send(kEventLeftDown, 20, 10);
    Send(kEventLeftUp, 20, 10);
    EXPECT_FALSE(LogHas("Command window ok")) << mLog.Text();
    // The click message reaches the script once.
    EXPECT_EQ(Only("script:"), std::vector<std::string>{"script:" + std::to_string(kMsgButtonPress) + ":ok"});
}

TEST_F(TextTest, HoveringALinkCapturesThePointerUntilItLeaves)
{
    ModalProbe* dialog = PushDialog("dialog", 0, 0, 400, 300);
    TText* text = Make<TText>(dialog, "{ w = 200, h = 40, font = { 'fonts/test.mvec', 20 }, "
                                      "label = \"ab<a id='x'>cd</a>\" }");
    Send(kEventMouseMove, 20, 10);
    EXPECT_EQ(Str(text->GetLayout()->GetHoverLink()), "x");
    EXPECT_TRUE(mManager->HasCapture(text));
    Send(kEventMouseMove, 300, 200); // outside the text: it leaves
    EXPECT_TRUE(text->GetLayout()->GetHoverLink().IsEmpty());
    EXPECT_FALSE(mManager->HasCapture(text));
}

TEST_F(TextTest, OnlyAChangedTextLaysOutAndInvalidates)
{
    ModalProbe* dialog = PushDialog("dialog");
    TText* text = Make<TText>(dialog, "{ w = 200, h = 40, label = '' }");
    mManager->HandleEvent(Ev(kEventIdle));
    ASSERT_FALSE(mManager->NeedsRedraw());

    text->SetText("first"); // from empty: still redrawn
    EXPECT_TRUE(mManager->NeedsRedraw());
    gNow += 20;
    mManager->HandleEvent(Ev(kEventIdle));
    ASSERT_FALSE(mManager->NeedsRedraw());

    auto line = text->GetLayout()->GetLines().at(0);
    text->SetText("first");
    EXPECT_FALSE(mManager->NeedsRedraw());
    EXPECT_EQ(text->GetLayout()->GetLines().at(0), line) << "not laid out again";
    text->SetText("second");
    EXPECT_TRUE(mManager->NeedsRedraw());
    EXPECT_EQ(Str(text->GetText()), "second");

    gNow += 20;
    mManager->HandleEvent(Ev(kEventIdle));
    text->SetColor(1, 1, 1, 1); // the colour it has
    EXPECT_FALSE(mManager->NeedsRedraw());
    text->SetColor(1, 0, 0, 1);
    EXPECT_TRUE(mManager->NeedsRedraw());
    EXPECT_FLOAT_EQ(FirstRun(text).colour[1], 0);
}

TEST_F(TextTest, AWindowOfZeroSizeLogsOnceAndStaysInert)
{
    ModalProbe* dialog = PushDialog("dialog", 0, 0, 400, 300);
    TText* text = Make<TText>(dialog, "{ name = 'empty', w = 0, h = 20, label = \"<a id='x'>link</a>\" }");
    EXPECT_EQ(text->GetLayout(), nullptr);
    EXPECT_EQ(LogCount("ERROR: Attempting to create text window of size(0,0): named 'empty', label "
                       "'<a id='x'>link</a>'"),
              1u)
        << mLog.Text();
    text->SetText("x");
    EXPECT_TRUE(text->GetText().IsEmpty());
    EXPECT_FALSE(text->OnMouseDown({0, 0}));
    EXPECT_FALSE(text->OnMouseMove({0, 0}));
    EXPECT_FALSE(text->OnMouseUp({0, 0}));
    EXPECT_FALSE(text->OnMouseLeave());
    text->ScrollTo(1);
    EXPECT_FALSE(text->CreateLayout("y", 0, 10, "__DEFAULT", 16, nullptr, 0));
    EXPECT_FALSE(text->CreateLayout("y", 10, -1, "__DEFAULT", 16, nullptr, 0));
    EXPECT_EQ(LogCount("Attempting to create text window"), 1u);
}

TEST_F(TextTest, ScrollingPutsTheLastLinesThatFitAtTheTop)
{
    ModalProbe* dialog = PushDialog("dialog");
    // Five 20-pixel lines in a 40-pixel box: from line 3 on the rest fits.
    TText* text = Make<TText>(dialog, "{ w = 200, h = 40, font = { 'fonts/test.mvec', 20 }, "
                                      "label = 'a<br>b<br>c<br>d<br>e' }");
    TTextLayout* layout = text->GetLayout();
    ASSERT_EQ(layout->GetLineCount(), 5);
    const int32_t n = layout->FindLineAt(1, 0);
    EXPECT_EQ(n, 3);
    text->OnScroll(std::bit_cast<int32_t>(1.0f), 0);
    EXPECT_FLOAT_EQ(layout->GetFirstVisibleLine(), n + 0.5f);
    text->ScrollTo(0.5f);
    EXPECT_FLOAT_EQ(layout->GetFirstVisibleLine(), (n + 0.5f) * 0.5f);
    text->ScrollTo(0);
    EXPECT_FLOAT_EQ(layout->GetFirstVisibleLine(), 0);
}

TEST_F(TextTest, AFrameDrawsTheTextInsideItsWindow)
{
    TDnMiniVecDraw rasteriser;
    SetTextServices(mFonts.get(), &rasteriser);
    ModalProbe* dialog = PushDialog("dialog", 100, 100, 400, 300);
    Make<TText>(dialog, "{ x = 50, y = 20, w = 120, h = 30, font = { 'fonts/test.mvec', 20, { 1, 0, 0, 1 } }, "
                        "label = 'mmmm' }");
    gNow += 20;
    GfxRecordingLog().Clear();
    mManager->HandleEvent(Ev(kEventPaint));
    SetTextServices(mFonts.get(), nullptr);

    size_t vertices = 0;
    float minX = 1e9f, maxX = -1e9f;
    for (const GfxDrawRecord& draw : GfxRecordingLog().draws) {
        if (draw.primitive != GfxPrimitive::LineList)
            continue;
        for (uint32_t v = 0; v < draw.vertexCount; ++v, ++vertices) {
            EXPECT_EQ(draw.Word(v, 16) & 0x00FFFFFFu, 0x00FF0000u);
            minX = std::min(minX, draw.Float(v, 0));
            maxX = std::max(maxX, draw.Float(v, 0));
            EXPECT_GE(draw.Float(v, 4), 120.0f - 1);
            EXPECT_LE(draw.Float(v, 4), 150.0f + 1);
        }
    }
    // Four 16-pixel "m"s from the window's left edge.
    EXPECT_GT(vertices, 0u);
    EXPECT_GE(minX, 150.0f - 1);
    EXPECT_LE(maxX, 150.0f + 64 + 2); // line ends sit a fraction past the pixel
    EXPECT_GE(maxX, 150.0f + 60);
}

TEST_F(TextTest, RotationKeysTurnTheLayout)
{
    ModalProbe* dialog = PushDialog("dialog", 0, 0, 400, 300);
    TText* plain = Make<TText>(dialog, "{ w = 100, h = 20, label = 'ab' }");
    TText* turned = Make<TText>(dialog, "{ w = 100, h = 20, label = 'ab', rotation = 90, "
                                        "rotationOriginX = 80010, rotationOriginY = 5 }");
    EXPECT_FLOAT_EQ(plain->GetLayout()->GetRotationCos(), 1);
    EXPECT_NEAR(turned->GetLayout()->GetRotationCos(), 0, 1e-6);
    EXPECT_NEAR(turned->GetLayout()->GetRotationSin(), 1, 1e-6);
}

class TextScriptTest : public WindowScriptFixture {};

TEST_F(TextScriptTest, ScriptsBuildTextsAndReadAndSetTheirLabels)
{
    ModalProbe* dialog = PushDialog("dialog");
    ASSERT_TRUE(Run("Text{ name = 't', w = 100, h = 20, label = 'start' }()"));
    auto* text = TWindow::Cast<TText>(dialog->FindChild("t"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Eval("GetLabel('t')"), "start");
    ASSERT_TRUE(Run("SetLabel('t', 'changed')"));
    EXPECT_EQ(Str(text->GetText()), "changed");
    EXPECT_EQ(Eval("GetLabel('nope')"), "nope_is_not_found");
    Place(dialog, new Probe("probe", 0), 0, 0, 5, 5);
    EXPECT_EQ(Eval("GetLabel('probe')"), "probe_is_not_a_TText_window_or_TButton");
}

} // namespace
} // namespace uitest
