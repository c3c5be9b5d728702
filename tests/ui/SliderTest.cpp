// The slider: orientation and size from the style, value clamping and
// messages, dragging with capture through the window manager, presses beside
// the thumb, the rail's geometry on the recording device, and sliders that
// are degenerate (no length, no thumb, missing images).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "os/gfx/recording/GfxRecording.h"
#include "platform/AssetNames.h"
#include "render/Texture.h"
#include "support/ImageWriter.h"
#include "ui/Image.h"
#include "ui/ManagerTestSupport.h"
#include "ui/Slider.h"
#include "ui/Style.h"

using namespace uitest;

namespace {

// Grey PNG files registered in memory under their names.
class MemoryImages {
public:
    void Add(const char* name, uint32_t width, uint32_t height)
    {
        TPngSpec spec;
        spec.width = width;
        spec.height = height;
        spec.rows.assign(size_t(width) * height * 3, 0x80);
        mFiles.push_back(std::make_unique<std::vector<uint8_t>>(MakePng(spec)));
        RegisterMemoryFile(name, mFiles.back()->data(), uint32_t(mFiles.back()->size()));
    }

private:
    std::vector<std::unique_ptr<std::vector<uint8_t>>> mFiles;
};

class SliderTest : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        // Rail pieces 5 texels wide (odd: the surface is padded to 6).
        mImages.Add("s/top.png", 5, 4);
        mImages.Add("s/mid.png", 5, 2);
        mImages.Add("s/bot.png", 5, 7);
        mImages.Add("s/thumb.png", 20, 10);
        // Told apart from the normal image by its height.
        mImages.Add("s/roll.png", 20, 12);
        mImages.Add("s/other.png", 8, 8);
        mDialog = PushDialog("dialog", 100, 100, 400, 300);
        mDialog->mTakes = kTakeMessages;
    }

    static TValueStyle Style(int32_t w, int32_t h)
    {
        TValueStyle style;
        style.Set("name", "vol").Set("x", 10).Set("y", 20).Set("w", w).Set("h", h);
        style.Set("railtop", "s/top.png").Set("railmid", "s/mid.png").Set("railbot", "s/bot.png");
        style.Set("sliderimage", "s/thumb.png").Set("sliderrollimage", "s/roll.png");
        return style;
    }

    // A slider made from the style inside the dialog.
    TSlider* Make(const TStyle& style)
    {
        auto* slider = static_cast<TSlider*>(TSlider::GetCreator());
        slider->Init(style);
        mDialog->AddChild(slider, true);
        gLog.clear();
        return slider;
    }

    // Pointer event at a point of the slider (screen = dialog + slider origin).
    void Pointer(TSlider* slider, int32_t type, int32_t x, int32_t y)
    {
        TPoint screen = slider->ClientToScreen({x, y});
        mManager->HandleEvent(Ev(type, screen.x, screen.y));
    }

    static const TTextureRef& Shown(TSlider* slider) { return slider->GetThumb()->GetTexture(); }
    static bool ShowsRoll(TSlider* slider) { return Shown(slider) && Shown(slider)->GetHeight() == 12; }
    static bool ShowsNormal(TSlider* slider) { return Shown(slider) && Shown(slider)->GetHeight() == 10; }

    MemoryImages mImages;
    ModalProbe* mDialog = nullptr;
};

TEST_F(SliderTest, OrientationAndSizeFollowTheStyle)
{
    struct Case {
        const char* what;
        int32_t w, h;
        double hslider; // NaN: not in the style
        int32_t yoffset;
        bool horizontal;
        int32_t width, height; // after the size is recomputed
    };
    const double none = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        // Thickness: the thumb across the rail (10 tall lying, 20 wide
        // standing) beats the rail's 5, plus |yoffset|.
        {"wide", 200, 20, none, 0, true, 200, 10},
        {"tall", 20, 200, none, 0, false, 20, 200},
        {"square is vertical", 50, 50, none, 0, false, 20, 50},
        {"hslider 1 on a tall box", 20, 200, 1, 0, true, 20, 10},
        {"hslider 0 on a wide box", 200, 20, 0, 0, false, 20, 20},
        {"negative offset counts by size", 200, 20, none, -6, true, 200, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TValueStyle style = Style(c.w, c.h);
        if (!std::isnan(c.hslider))
            style.Set("hslider", c.hslider);
        style.Set("yoffset", c.yoffset);
        TSlider* slider = Make(style);
        EXPECT_EQ(slider->IsHorizontal(), c.horizontal);
        EXPECT_EQ(slider->GetWidth(), c.width);
        EXPECT_EQ(slider->GetHeight(), c.height);
        EXPECT_EQ(Str(slider->GetName()), "vol");
        ASSERT_NE(slider->GetThumb(), nullptr);
        EXPECT_EQ(slider->GetThumb()->GetParent(), slider);
        // The offset places the thumb across the rail.
        if (c.horizontal)
            EXPECT_EQ(slider->GetThumb()->GetRect().top, c.yoffset);
        else
            EXPECT_EQ(slider->GetThumb()->GetRect().left, c.yoffset);
        delete slider;
    }
}

TEST_F(SliderTest, RailThicknessFollowsTheScale)
{
    TValueStyle style = Style(30, 200);
    style.Set("sliderimage", "").Set("sliderrollimage", "").Set("scale", 2.0);
    TSlider* slider = Make(style);
    EXPECT_FALSE(slider->IsHorizontal());
    EXPECT_EQ(slider->GetThickness(), 10);
    EXPECT_EQ(slider->GetWidth(), 10);
    EXPECT_EQ(slider->GetHeight(), 200);
}

TEST_F(SliderTest, SetValueClampsPlacesTheThumbAndTellsTheParent)
{
    struct Case {
        float value;
        bool quiet;
        float stored;
        int32_t thumbX; // (200 - 20) x value, truncated
    };
    const Case cases[] = {
        {1.5f, false, 1.0f, 180},
        {-0.5f, false, 0.0f, 0},
        {0.25f, true, 0.25f, 45},
        {0.999f, false, 0.999f, 179},
        {std::numeric_limits<float>::quiet_NaN(), false, 0.0f, 0},
    };
    TSlider* slider = Make(Style(200, 20));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        gLog.clear();
        slider->SetValue(c.value, c.quiet);
        EXPECT_FLOAT_EQ(slider->GetValue(), c.stored);
        EXPECT_EQ(slider->GetThumb()->GetRect().left, c.thumbX);
        std::vector<std::string> expected;
        if (!c.quiet)
            expected.push_back("dialog:msg:9:vol");
        EXPECT_EQ(Only("dialog:msg"), expected);
    }
    // Without a parent nothing is sent and nothing breaks.
    mDialog->RemoveChild(slider);
    gLog.clear();
    slider->SetValue(0.5f, false);
    EXPECT_FLOAT_EQ(slider->GetValue(), 0.5f);
    EXPECT_TRUE(Only("dialog:msg").empty());
    delete slider;
}

TEST_F(SliderTest, DraggingTheThumbSetsTheValueFromThePointer)
{
    TSlider* slider = Make(Style(200, 20));
    slider->SetValue(0.0f, true);
    // Press on the thumb (0..20 x 0..10).
    Pointer(slider, kEventLeftDown, 5, 5);
    EXPECT_TRUE(slider->IsDragging());
    EXPECT_TRUE(mManager->HasCapture(slider));
    EXPECT_TRUE(ShowsNormal(slider)); // a press alone changes nothing shown

    // 150 of 200 is 0.75 whatever the thumb's width; the thumb shows its
    // roll image while dragged.
    Pointer(slider, kEventMouseMove, 150, 5);
    EXPECT_FLOAT_EQ(slider->GetValue(), 0.75f);
    EXPECT_EQ(slider->GetThumb()->GetRect().left, 135);
    EXPECT_TRUE(ShowsRoll(slider));
    // Dragged far outside: the capture keeps the moves coming, the value
    // stops at the ends.
    Pointer(slider, kEventMouseMove, 500, 300);
    EXPECT_FLOAT_EQ(slider->GetValue(), 1.0f);
    Pointer(slider, kEventMouseMove, -40, 5);
    EXPECT_FLOAT_EQ(slider->GetValue(), 0.0f);
    EXPECT_EQ(Only("dialog:msg"),
              (std::vector<std::string>{"dialog:msg:9:vol", "dialog:msg:9:vol", "dialog:msg:9:vol"}));

    // Released outside the slider: message 10, capture gone, normal image.
    gLog.clear();
    Pointer(slider, kEventLeftUp, -40, 5);
    EXPECT_FALSE(slider->IsDragging());
    EXPECT_FALSE(mManager->HasCapture(slider));
    EXPECT_TRUE(ShowsNormal(slider));
    EXPECT_EQ(Only("dialog:msg"), std::vector<std::string>{"dialog:msg:10:vol"});

    // A release without a drag is not the slider's.
    gLog.clear();
    EXPECT_FALSE(slider->OnMouseUp({5, 5}));
    EXPECT_TRUE(Only("dialog:msg").empty());
}

TEST_F(SliderTest, ReleasedOnTheThumbKeepsTheCaptureAndTheRollImage)
{
    TSlider* slider = Make(Style(200, 20));
    Pointer(slider, kEventLeftDown, 5, 5);
    Pointer(slider, kEventMouseMove, 10, 5); // value 0.05: thumb at 9
    Pointer(slider, kEventLeftUp, 12, 5);
    EXPECT_FALSE(slider->IsDragging());
    EXPECT_TRUE(mManager->HasCapture(slider));
    EXPECT_TRUE(ShowsRoll(slider));
    // Leaving without a drag: normal image, capture released.
    mManager->HandleEvent(Ev(kEventMouseLeave));
    EXPECT_FALSE(mManager->HasCapture(slider));
    EXPECT_TRUE(ShowsNormal(slider));
}

TEST_F(SliderTest, HoverShowsTheRollImageAndLeavingTheSliderReleasesIt)
{
    TSlider* slider = Make(Style(200, 20));
    Pointer(slider, kEventMouseMove, 100, 5); // on the rail, off the thumb
    EXPECT_TRUE(mManager->HasCapture(slider));
    EXPECT_TRUE(ShowsNormal(slider));
    Pointer(slider, kEventMouseMove, 3, 3);
    EXPECT_TRUE(ShowsRoll(slider));
    // Out of the slider: the manager's leave, then nothing held.
    Pointer(slider, kEventMouseMove, 100, 80);
    EXPECT_FALSE(mManager->HasCapture(slider));
    EXPECT_TRUE(ShowsNormal(slider));
    EXPECT_FLOAT_EQ(slider->GetValue(), 0.0f);
    EXPECT_TRUE(Only("dialog:msg").empty());
}

TEST_F(SliderTest, LeaveDuringADragChangesNothing)
{
    TSlider* slider = Make(Style(200, 20));
    Pointer(slider, kEventLeftDown, 5, 5);
    EXPECT_TRUE(slider->OnMouseLeave());
    EXPECT_TRUE(slider->IsDragging());
    EXPECT_TRUE(mManager->HasCapture(slider));
}

TEST_F(SliderTest, PressesBesideTheThumbPageWithoutMovingTheValue)
{
    struct Case {
        const char* what;
        int32_t w, h;
        TPoint press;
        const char* message;
    };
    const Case cases[] = {
        {"left of a horizontal thumb", 200, 20, {60, 5}, "dialog:msg:11:vol"},
        {"right of a horizontal thumb", 200, 20, {150, 5}, "dialog:msg:12:vol"},
        {"above a vertical thumb", 20, 200, {5, 40}, "dialog:msg:11:vol"},
        {"below a vertical thumb", 20, 200, {5, 170}, "dialog:msg:12:vol"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSlider* slider = Make(Style(c.w, c.h));
        slider->SetValue(0.5f, true); // thumb at 90 (horizontal) or 95 (vertical)
        gLog.clear();
        Pointer(slider, kEventLeftDown, c.press.x, c.press.y);
        EXPECT_EQ(Only("dialog:msg"), std::vector<std::string>{c.message});
        EXPECT_FLOAT_EQ(slider->GetValue(), 0.5f);
        EXPECT_FALSE(slider->IsDragging());
        EXPECT_FALSE(mManager->HasCapture(slider));
        delete slider;
    }
}

TEST_F(SliderTest, SecondInitOnlyRunsTheWindowPart)
{
    TValueStyle style = Style(200, 20);
    TSlider* slider = Make(style);
    TTextureRef thumb = Shown(slider);
    style.Set("sliderimage", "s/other.png").Set("hslider", 0).Set("name", "renamed");
    slider->Init(style);
    EXPECT_EQ(Shown(slider), thumb);
    EXPECT_TRUE(slider->IsHorizontal());
    EXPECT_EQ(Str(slider->GetName()), "renamed");
}

TEST_F(SliderTest, DegenerateSlidersStayUsable)
{
    // No length: a drag keeps the value finite.
    TValueStyle style = Style(0, 0);
    style.Set("hslider", 1);
    TSlider* flat = Make(style);
    EXPECT_EQ(flat->GetWidth(), 0);
    flat->SetValue(0.4f, true);
    EXPECT_TRUE(flat->OnMouseDown({5, 5}));
    EXPECT_TRUE(flat->OnMouseMove({0, 5}));
    EXPECT_TRUE(flat->OnMouseMove({50, 5}));
    EXPECT_FLOAT_EQ(flat->GetValue(), 0.4f);
    EXPECT_TRUE(flat->OnMouseUp({50, 5}));

    // Missing images: log lines, a thumb with nothing to show, presses
    // still page; without a roll image the hover keeps the normal image.
    TValueStyle broken = Style(200, 20);
    broken.Set("sliderimage", "s/none.png").Set("sliderrollimage", "").Set("railmid", "s/gone.png");
    TSlider* slider = Make(broken);
    EXPECT_EQ(Shown(slider), nullptr);
    EXPECT_EQ(slider->GetWidth(), 200);
    EXPECT_EQ(slider->GetHeight(), 5); // the rail's caps alone
    slider->SetThumbImages(TTexture::Get("s/thumb.png", 0), nullptr);
    Pointer(slider, kEventMouseMove, 3, 3);
    EXPECT_TRUE(ShowsNormal(slider));

    // The thumb taken off the slider belongs to whoever took it.
    TImage* thumb = slider->GetThumb();
    slider->RemoveChild(thumb);
    EXPECT_EQ(slider->GetThumb(), nullptr);
    delete thumb;
    EXPECT_FALSE(slider->OnMouseDown({5, 5}));
    slider->SetValue(0.5f, true);
    EXPECT_FLOAT_EQ(slider->GetValue(), 0.5f);

    // A slider never initialised nor attached frees its thumb.
    delete static_cast<TSlider*>(TSlider::GetCreator());
}

// The rail's draws: six vertices each, as a triangle list.
std::vector<const GfxDrawRecord*> RailDraws()
{
    std::vector<const GfxDrawRecord*> out;
    for (const GfxDrawRecord& draw : GfxRecordingLog().draws)
        if (draw.primitive == GfxPrimitive::TriangleList && draw.vertexCount == 6)
            out.push_back(&draw);
    return out;
}

struct Extent {
    float x0, y0, x1, y1;
};

// The texture's share of its (padded) surface.
void ExpectShare(const GfxDrawRecord& draw, const char* file)
{
    TTextureRef texture = TTexture::Get(file, 0);
    ASSERT_NE(texture, nullptr);
    uint32_t sw = 0, sh = 0;
    texture->GetSurfaceSize(sw, sh);
    // Vertex 0 is the unit square's (0, 0) corner, vertex 4 its (1, 1).
    EXPECT_FLOAT_EQ(draw.Float(0, 24), 0.0f);
    EXPECT_FLOAT_EQ(draw.Float(0, 28), 0.0f);
    EXPECT_FLOAT_EQ(draw.Float(4, 24), float(texture->GetWidth()) / float(sw));
    EXPECT_FLOAT_EQ(draw.Float(4, 28), float(texture->GetHeight()) / float(sh));
}

TEST_F(SliderTest, RailIsThreePiecesWithTheMiddleStretched)
{
    struct Case {
        const char* what;
        int32_t w, h;
        Extent top, middle, bottom;
    };
    // Thickness 20 (vertical: thumb width) or 10 (horizontal: thumb
    // height); the 5-wide pieces sit at (thickness - 5) / 2; the caps are
    // 4 and 7 long; everything is shifted by half a pixel.
    const Case cases[] = {
        {"vertical", 20, 100, {6.5f, -0.5f, 11.5f, 3.5f}, {6.5f, 3.5f, 11.5f, 92.5f}, {6.5f, 92.5f, 11.5f, 99.5f}},
        {"horizontal: axes swapped", 100, 20, {-0.5f, 1.5f, 3.5f, 6.5f}, {3.5f, 1.5f, 92.5f, 6.5f},
         {92.5f, 1.5f, 99.5f, 6.5f}},
    };
    const char* files[] = {"s/top.png", "s/mid.png", "s/bot.png"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSlider* slider = Make(Style(c.w, c.h));
        TRenderer* renderer = TRenderer::Get();
        ASSERT_TRUE(renderer->BeginDraw(false));
        GfxRecordingLog().Clear();
        slider->Draw();
        EXPECT_FALSE(renderer->IsIn2d()); // the pass it opened is closed
        renderer->EndDraw(false);

        std::vector<const GfxDrawRecord*> draws = RailDraws();
        ASSERT_EQ(draws.size(), 3u);
        const Extent* expected[] = {&c.top, &c.middle, &c.bottom};
        for (size_t i = 0; i < 3; ++i) {
            SCOPED_TRACE(files[i]);
            const GfxDrawRecord& draw = *draws[i];
            EXPECT_FLOAT_EQ(draw.Float(0, 0), expected[i]->x0);
            EXPECT_FLOAT_EQ(draw.Float(0, 4), expected[i]->y0);
            EXPECT_FLOAT_EQ(draw.Float(4, 0), expected[i]->x1);
            EXPECT_FLOAT_EQ(draw.Float(4, 4), expected[i]->y1);
            EXPECT_FLOAT_EQ(draw.Float(0, 8), 0.1f);
            EXPECT_EQ(draw.Word(0, 16), 0xFFFFFFFFu);
            EXPECT_NE(draw.state.texture, nullptr);
            ExpectShare(draw, files[i]);
        }
        delete slider;
    }
}

TEST_F(SliderTest, RailPiecesWithoutTextureTakeNoLengthAndAnOpenPassStaysOpen)
{
    TValueStyle style = Style(20, 100);
    style.Set("railtop", "");
    TSlider* slider = Make(style);
    TRenderer* renderer = TRenderer::Get();
    ASSERT_TRUE(renderer->BeginDraw(false));
    ASSERT_TRUE(renderer->Begin2d());
    GfxRecordingLog().Clear();
    slider->Draw();
    EXPECT_TRUE(renderer->IsIn2d());
    renderer->End2d();
    renderer->EndDraw(false);

    std::vector<const GfxDrawRecord*> draws = RailDraws();
    ASSERT_EQ(draws.size(), 2u);
    // The middle starts at the rail's start and runs up to the bottom cap.
    EXPECT_FLOAT_EQ(draws[0]->Float(0, 4), -0.5f);
    EXPECT_FLOAT_EQ(draws[0]->Float(4, 4), 92.5f);
    EXPECT_FLOAT_EQ(draws[1]->Float(0, 4), 92.5f);

    // Shorter than its caps: no middle, nothing negative.
    slider->SetSize(slider->GetWidth(), 6);
    ASSERT_TRUE(renderer->BeginDraw(false));
    GfxRecordingLog().Clear();
    slider->Draw();
    renderer->EndDraw(false);
    draws = RailDraws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_FLOAT_EQ(draws[0]->Float(0, 4), -0.5f);
    EXPECT_FLOAT_EQ(draws[0]->Float(4, 4), 6.5f);
}

} // namespace
