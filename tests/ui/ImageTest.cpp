// The image widget: its size from the image, scale and quarter turn, the
// style keys, what it draws and where, and bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ManagerTestSupport.h"
#include "WidgetImages.h"
#include "os/gfx/recording/GfxRecording.h"
#include "render/Texture.h"
#include "support/TempFolder.h"
#include "ui/Image.h"
#include "ui/Style.h"

namespace uitest {
namespace {

class ImageTest : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        mImages.Add("wide.png", 100, 50);
        mImages.Add("odd.png", 3, 3);
        mImages.Add("screen.png", 100, 75);
        mImages.Add("mask.png", 100, 50, 0xFFFFFF);
    }

    // A "Bitmap" window made as the window type makes it, initialised from
    // the style and put into the dialog.
    TImage* Make(const TValueStyle& style, TWindow* parent = nullptr)
    {
        auto* image = static_cast<TImage*>(TImage::GetCreator());
        if (parent)
            parent->AddChild(image, true);
        image->Init(style);
        if (!parent)
            mOwned.emplace_back(image);
        return image;
    }

    // The textured draws recorded so far: the bounding box of each quad.
    static std::vector<TRect> TexturedQuads()
    {
        std::vector<TRect> quads;
        for (const GfxDrawRecord& draw : GfxRecordingLog().draws) {
            if (!draw.state.texture || draw.vertexCount < 3)
                continue;
            float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
            for (uint32_t i = 0; i < draw.vertexCount; ++i) {
                x0 = std::min(x0, draw.Float(i, 0));
                y0 = std::min(y0, draw.Float(i, 4));
                x1 = std::max(x1, draw.Float(i, 0));
                y1 = std::max(y1, draw.Float(i, 4));
            }
            quads.emplace_back(int32_t(std::lround(x0)), int32_t(std::lround(y0)), int32_t(std::lround(x1)),
                               int32_t(std::lround(y1)));
        }
        return quads;
    }

    TTempFolder mTemp{"imagetest"};
    TLogCapture mLog{mTemp.File("log")};
    TWidgetImages mImages;
    std::vector<std::unique_ptr<TImage>> mOwned;
};

TEST_F(ImageTest, TheWindowTakesTheImageSizeTimesTheScale)
{
    struct Case {
        const char* image;
        double scale;
        bool rotate;
        int32_t width, height;
    } cases[] = {
        {"wide.png", 0.5, false, 50, 25},
        {"wide.png", 0.5, true, 25, 50},
        {"wide.png", 2, false, 200, 100},
        {"odd.png", 0.5, false, 2, 2}, // 1.5 rounds up
        {"wide.png", 0, false, 0, 0},
        {"wide.png", -1, false, 100, 50}, // not a scale: 1 instead, with a log line
    };
    for (const Case& c : cases) {
        TValueStyle style;
        style.Set("image", c.image).Set("scale", c.scale).Set("rotate", c.rotate);
        TImage* image = Make(style);
        SCOPED_TRACE(std::string(c.image) + " scale " + std::to_string(c.scale) + (c.rotate ? " rotated" : ""));
        ASSERT_NE(image->GetTexture(), nullptr);
        EXPECT_EQ(image->GetWidth(), c.width);
        EXPECT_EQ(image->GetHeight(), c.height);
    }
    EXPECT_NE(mLog.Text().find("scale -1 is no size factor"), std::string::npos);
}

TEST_F(ImageTest, TurningAndNewImagesResize)
{
    TImage* image = Make(TValueStyle().Set("image", "wide.png").Set("scale", 0.5));
    image->SetRotate(true);
    EXPECT_EQ(image->GetWidth(), 25);
    EXPECT_EQ(image->GetHeight(), 50);
    image->SetRotate(false);
    EXPECT_EQ(image->GetWidth(), 50);
    // a new image and scale, still turned the way it is
    image->SetImage(TTexture::Get("odd.png", 0), 4);
    EXPECT_EQ(image->GetWidth(), 12);
    // no image: the size stays
    image->SetImage(nullptr, 1);
    EXPECT_EQ(image->GetWidth(), 12);
    EXPECT_EQ(image->GetTexture(), nullptr);
}

TEST_F(ImageTest, FlagsAndKeys)
{
    TImage* plain = Make(TValueStyle().Set("image", "wide.png"));
    EXPECT_TRUE(plain->HasFlags(kWindowToTexture | kWindowOpaqueCover));
    EXPECT_FALSE(plain->GetTexture()->HasAlpha());
    EXPECT_EQ(plain->GetDrawFlags(), 0u);
    EXPECT_STREQ(plain->GetClassName(), "TImage");
    EXPECT_TRUE(plain->IsKindOf(TWindow::TypeId()));

    TImage* flipped =
        Make(TValueStyle().Set("image", "odd.png").Set("alpha", true).Set("hflip", true).Set("vflip", true));
    EXPECT_FALSE(flipped->HasFlags(kWindowOpaqueCover));
    EXPECT_TRUE(flipped->GetTexture()->HasAlpha());
    EXPECT_EQ(flipped->GetDrawFlags(), uint32_t(kDrawMirrorX | kDrawMirrorY));

    TImage imageOnly(false);
    EXPECT_FALSE(imageOnly.HasFlags(kWindowToTexture));
    EXPECT_TRUE(imageOnly.HasFlags(kWindowOpaqueCover));
}

TEST_F(ImageTest, AnEmptyImageWithAMaskKeepsTheStyleSizeAndDrawsNothing)
{
    ModalProbe* dialog = PushDialog("dialog", 0, 0, 400, 300);
    TImage* image = Make(TValueStyle().Set("image", "").Set("mask", "mask.png").Set("w", 40).Set("h", 30), dialog);
    EXPECT_EQ(image->GetTexture(), nullptr);
    EXPECT_EQ(image->GetWidth(), 40);
    EXPECT_EQ(image->GetHeight(), 30);
    mManager->Invalidate();
    mManager->Frame();
    EXPECT_TRUE(TexturedQuads().empty());
}

TEST_F(ImageTest, DrawsTheImageOverItsWindowTurnedOrNot)
{
    ModalProbe* dialog = PushDialog("dialog", 0, 0, 400, 300);
    struct Case {
        bool rotate;
        TRect quad;
    } cases[] = {{false, TRect(0, 0, 50, 25)}, {true, TRect(0, 0, 25, 50)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rotate ? "rotated" : "plain");
        TImage* image = Make(TValueStyle().Set("image", "wide.png").Set("scale", 0.5).Set("rotate", c.rotate), dialog);
        GfxRecordingLog().Clear();
        TRenderer* renderer = TRenderer::Get();
        ASSERT_TRUE(renderer->BeginDraw(false));
        image->Draw();
        EXPECT_FALSE(renderer->IsIn2d()); // its own pass, closed again
        renderer->EndDraw(false);
        std::vector<TRect> quads = TexturedQuads();
        ASSERT_EQ(quads.size(), 1u);
        EXPECT_EQ(quads[0], c.quad);
        dialog->RemoveChild(image);
        delete image;
    }
}

TEST_F(ImageTest, DrawingInsideAnOpenPassLeavesItOpen)
{
    TImage* image = Make(TValueStyle().Set("image", "wide.png"));
    TRenderer* renderer = TRenderer::Get();
    ASSERT_TRUE(renderer->BeginDraw(false));
    ASSERT_TRUE(renderer->Begin2d());
    GfxRecordingLog().Clear();
    image->Draw();
    EXPECT_TRUE(renderer->IsIn2d());
    EXPECT_EQ(TexturedQuads().size(), 1u);
    EXPECT_NE(mLog.Text().find("Begin2d called when already in Begin2d state"), std::string::npos);
    renderer->End2d();
    renderer->EndDraw(false);
}

TEST_F(ImageTest, AnOpaqueFullScreenImageHidesWhatIsBelowAndAnAlphaOneDoesNot)
{
    for (bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "alpha" : "opaque");
        ModalProbe* dialog = PushDialog("dialog", 0, 0, 800, 600);
        Make(TValueStyle().Set("image", "screen.png").Set("scale", 8).Set("alpha", alpha), dialog);
        gLog.clear();
        gNow += 1000; // frames are paced
        mManager->Invalidate();
        mManager->Frame();
        EXPECT_EQ(Only("screen:draw").size(), alpha ? 1u : 0u);
        EXPECT_EQ(Only("dialog:draw").size(), 1u);
        mManager->PopModal();
        mManager->HandleEvent(Ev(kEventIdle));
    }
}

TEST_F(ImageTest, AMissingImageLogsAndLeavesAnEmptyWindow)
{
    TImage* image = Make(TValueStyle().Set("image", "nowhere.png").Set("w", 20).Set("h", 10).Set("name", "pic"));
    EXPECT_EQ(image->GetTexture(), nullptr);
    EXPECT_EQ(image->GetWidth(), 20);
    EXPECT_EQ(image->GetName(), TString("pic"));
    EXPECT_NE(mLog.Text().find("nowhere.png"), std::string::npos);
    // drawing it does nothing
    TRenderer* renderer = TRenderer::Get();
    ASSERT_TRUE(renderer->BeginDraw(false));
    GfxRecordingLog().Clear();
    image->Draw();
    renderer->EndDraw(false);
    EXPECT_TRUE(TexturedQuads().empty());
}

} // namespace
} // namespace uitest
