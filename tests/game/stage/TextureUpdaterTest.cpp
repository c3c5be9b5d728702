// After a display restore the studio screens get their picture back: the
// screen window's, or the clean blackboard.
#include <gtest/gtest.h>

#include "AnimTestSupport.h"
#include "game/show/ShowController.h"
#include "game/stage/TextureUpdater.h"
#include "game/stage/WRenderable.h"
#include "game/stage/scene/SceneSet.h"
#include "render/Texture.h"

namespace {

constexpr char kScreens[] = R"(<scene><models>
<model><Name>mainscreen_1</Name></model>
<model><Name>mainscreen_2</Name></model>
</models></scene>)";

class Picture : public KScene::WRenderable {
public:
    explicit Picture(TTextureRef texture) : mTexture(std::move(texture)) {}
    TTextureRef RenderToTexture() override
    {
        ++renders;
        return mTexture;
    }
    int renders = 0;

private:
    TTextureRef mTexture;
};

class TextureUpdaterTest : public animtest::AnimFixture {
protected:
    void SetUp() override
    {
        AnimFixture::SetUp();
        AddFile("mesh/set/Set.xml", kScreens);
        KScene::KSceneSet::Get()->Load(TString("mesh/set/Set.xml"), true);
    }
    void TearDown() override
    {
        ShowController::Destroy();
        KScene::KSceneSet::Destroy();
        AnimFixture::TearDown();
    }
    static TTextureRef Screen(const char* name)
    {
        return KScene::KSceneSet::Get()->GetElementTexture(TString(name));
    }
};

TEST_F(TextureUpdaterTest, OnlyARunningShowHasItsScreensPutBack)
{
    ShowController* show = ShowController::Instance();
    TTextureRef picture = TTexture::CreateRenderTarget(16, 16, false);
    auto* window = new Picture(picture);
    show->SetScreenWindow(window);
    KUtil::TextureUpdater updater;

    EXPECT_TRUE(updater.Run());
    EXPECT_EQ(window->renders, 0);
    EXPECT_FALSE(Screen("mainscreen_1"));

    show->SetRunning(true);
    EXPECT_TRUE(updater.Run());
    EXPECT_EQ(window->renders, 1);
    EXPECT_EQ(Screen("mainscreen_1"), picture);
    EXPECT_EQ(Screen("mainscreen_2"), picture);

    // No screen window (or one that cannot render): the blackboard, whose
    // file this test does not have, so the screens end up untextured.
    show->SetScreenWindow(new TWindow());
    EXPECT_TRUE(updater.Run());
    EXPECT_EQ(show->GetScreenWindow(), nullptr);
    EXPECT_FALSE(Screen("mainscreen_1"));
    EXPECT_FALSE(Screen("mainscreen_2"));
}

} // namespace
