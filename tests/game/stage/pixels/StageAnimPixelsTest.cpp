// The money display and a flunk-out frame on the GL device under Xvfb, with
// the sheets and fonts the build makes, compared pixel for pixel with the
// same pictures drawn by hand from the same textures.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventManager.h"
#include "game/stage/anim/AnimManager.h"
#include "game/stage/anim/FlunkDropAnim.h"
#include "game/stage/anim/MoneyAnim.h"
#include "platform/Timer.h"
#include "render/AnimatedTexture.h"
#include "render/BuiltinFontData.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/Sprite.h"
#include "render/TextLayout.h"
#include "render/TextServices.h"
#include "render/Texture.h"
#include "render/pixels/PlatformScreen.h"

namespace {

uint32_t gNow = 10000;
uint32_t Now()
{
    return gNow;
}

class StageAnimPixels : public PlatformScreenTest {
protected:
    StageAnimPixels() : PlatformScreenTest("stagepixels") {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(OpenScreen("Stage", true));
        ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/anim"), TString("anim/"));
        ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/fonts"), TString("fonts/"));
        mDraw = std::make_unique<TDnMiniVecDraw>();
        mDraw->Calibrate();
        SetTextServices(&mFonts, mDraw.get());
        SetTimerSource(Now);
        KEvent::EventManager::Destroy();
        KEvent::EventManager::AllowRecreateForTests();
    }

    void TearDown() override
    {
        KAnim::ReleaseMoneyDisplay();
        Quillory::ReleaseFlunkDropAnim();
        KAnim::AnimManager::Destroy();
        KEvent::EventManager::Destroy();
        KEvent::EventManager::AllowRecreateForTests();
        SetTimerSource(nullptr);
        SetTextServices(nullptr, nullptr);
        mDraw.reset();
        CloseScreen();
    }

    // A black screen, draw inside a 2D pass, the screen read back.
    template <class F>
    std::vector<uint32_t> Frame(F draw)
    {
        const float black[4] = {0, 0, 0, 1};
        TRenderer& r = Renderer();
        EXPECT_TRUE(r.BeginDraw(false));
        r.FillRect(TRect(0, 0, kWidth, kHeight), black);
        EXPECT_TRUE(r.Begin2d());
        draw();
        r.End2d();
        r.EndDraw(false);
        ReadScreen();
        return mScreen;
    }

    static int32_t Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
    {
        int32_t n = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i)
            n += (a[i] & 0xFFFFFFu) != (b[i] & 0xFFFFFFu);
        return n + int32_t(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
    }
    static int32_t Lit(const std::vector<uint32_t>& screen)
    {
        int32_t n = 0;
        for (uint32_t p : screen)
            n += (p & 0xFFFFFFu) != 0;
        return n;
    }

    std::unique_ptr<TDnMiniVecDraw> mDraw;
    TFontCache mFonts{kBuiltinFontData, sizeof kBuiltinFontData};
};

TEST_F(StageAnimPixels, TheMoneyDisplayHoldingAfterThreeStepsIsItsPiecesDrawnByHand)
{
    std::shared_ptr<KEvent::Event> out;
    std::shared_ptr<KEvent::Event> end = KAnim::MakeMoneyAnim(out, 3, nullptr, nullptr, false, nullptr);
    std::shared_ptr<KAnim::MultiAnim> display = KAnim::GetMoneyDisplay();
    ASSERT_TRUE(display);
    // Played at 50 ms a frame until a second after the third step has lit
    // up: the counter holds, the steps' fades and flares are over.
    std::vector<uint32_t> shown;
    uint32_t lastStepAt = 0;
    std::shared_ptr<KEvent::Event> wait;
    for (int frame = 0; frame < 400; ++frame) {
        gNow += 50;
        KEvent::EventManager::Instance()->Update();
        shown = Frame([&] { display->Draw(); });
        if (!lastStepAt && display->GetTrackCount() == 3)
            lastStepAt = gNow; // the flares' track is gone
        if (lastStepAt && gNow - lastStepAt >= 1000)
            break;
    }
    ASSERT_NE(lastStepAt, 0u);
    ASSERT_FALSE(end->IsFinished());

    auto counter = TAnimatedTexture::Get(TString("anim/money.xml"));
    ASSERT_TRUE(counter);
    std::vector<std::unique_ptr<TTextLayout>> labels;
    const float white[4] = {1, 1, 1, 1};
    for (int32_t i = 0; i < 11; ++i) {
        const TRect r = KAnim::LadderTextRect(0, i);
        labels.push_back(TTextLayout::Create(KAnim::LadderLabel(i), r.Width(), r.Height(), 5, "fonts/Centry.mvec",
                                             16, white));
    }
    TSpriteRef highlight = TSprite::Create(0, TTexture::Get(TString("anim/blue_static"), 0));
    ASSERT_TRUE(highlight->GetTexture()) << "the still image loads";
    const std::vector<uint32_t> expected = Frame([&] {
        counter->SetFrame(28);
        counter->Draw(TDrawParams(TVec2(0, 0), 1, 1, 0));
        for (int32_t k = 0; k < 3; ++k)
            highlight->Draw(TDrawParams(KAnim::HighlightPosition(k), 1, 1, 0), -1);
        for (int32_t i = 0; i < 11; ++i)
            labels[size_t(i)]->Draw(KAnim::LadderTextRect(0, i), 1, 0, 1, TTextureRef());
    });
    EXPECT_GT(Lit(expected), 1000) << "the pieces are visible";
    EXPECT_EQ(Differences(shown, expected), 0);
}

TEST_F(StageAnimPixels, AFlunkOutFrameCarriesTheAmountAtItsAnchor)
{
    const TDrawParams place(TVec2(560, 40), 1, 1, 0);
    auto anim = Quillory::MakeFlunkDropAnim(TString("anim/flunkout.xml"), TString("$25,000"), place,
                                            TString("1-30,30[100]"));
    ASSERT_TRUE(anim->GetTexture());
    anim->GetEvent()->Start();
    // The first frame starts the clock; 3 s later the list holds frame 30.
    Frame([&] { KAnim::AnimManager::Get()->DrawAll(); });
    gNow += 3000;
    const std::vector<uint32_t> shown = Frame([&] { KAnim::AnimManager::Get()->DrawAll(); });
    ASSERT_EQ(anim->GetTexture()->GetFrame(), 30);
    TRect rect;
    ASSERT_TRUE(anim->GetTextRect(rect)) << "the held frame has a \"Text\" anchor";

    const float white[4] = {1, 1, 1, 1};
    auto text = TTextLayout::Create(TString("$25,000"), 130, 26, 1, "fonts/century.mvec", 17, white);
    const std::vector<uint32_t> expected = Frame([&] {
        anim->GetTexture()->Draw(place);
        text->Draw(rect, 1, 0, 1, TTextureRef());
    });
    const std::vector<uint32_t> frameOnly = Frame([&] { anim->GetTexture()->Draw(place); });
    EXPECT_GT(Differences(expected, frameOnly), 20) << "the amount shows";
    EXPECT_EQ(Differences(shown, expected), 0);
}

} // namespace
