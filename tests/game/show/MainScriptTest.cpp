// The game's main script (assets/scripts/mainloop.lua) run by the window
// script without a display: the title layer comes up and a key takes it
// down again.
#include <gtest/gtest.h>

#include "ui/WindowScriptSupport.h"

namespace {

class MainScriptTest : public uitest::WindowScriptFixture {
protected:
    void SetUp() override
    {
        WindowScriptFixture::SetUp();
        // Under the names the game opens them by: the main script as an
        // asset, dialog files through "assets/" paths.
        AddGameAsset("scripts/mainloop.lua", "assets/scripts/mainloop.lua");
        AddGameAsset("assets/title.lua", "assets/title.lua");
    }

    void AddGameAsset(const std::string& name, const std::string& source)
    {
        std::ifstream in(std::string(QUILLORY_SOURCE_DIR) + "/" + source, std::ios::binary);
        ASSERT_TRUE(in) << source;
        std::ostringstream text;
        text << in.rdbuf();
        mAssets.push_back(std::make_unique<std::string>(text.str()));
        RegisterMemoryFile(name.c_str(), mAssets.back()->data(), uint32_t(mAssets.back()->size()));
    }

    std::vector<std::unique_ptr<std::string>> mAssets;
};

TEST_F(MainScriptTest, TitleLayerStaysUntilAKeyOrAClick)
{
    const int depthBefore = std::stoi(Eval("GetWindowDepth()"));
    ASSERT_TRUE(mScript->RunFile(TString("scripts/mainloop.lua"))) << mLog.Text();
    ASSERT_TRUE(mScript->IsWaiting());
    EXPECT_EQ(Eval("GetWindowDepth()"), std::to_string(depthBefore + 1));
    ASSERT_NE(mManager->GetTopModal()->FindChild("title"), nullptr);

    // Time and idle passes alone leave it up.
    for (int i = 0; i < 5; ++i) {
        Tick(100);
        Pump();
    }
    ASSERT_NE(mManager->GetTopModal()->FindChild("title"), nullptr);

    // A key nobody handles reaches the script as "press any key".
    mManager->HandleEvent(uitest::Ev(kEventKeyDown, 0, 0, 'A'));
    for (int i = 0; i < 3; ++i) {
        Tick(20);
        Pump();
    }
    EXPECT_EQ(mManager->GetTopModal(), mScreen);
    EXPECT_FALSE(mScript->IsWaiting());
    EXPECT_FALSE(LogHas("rror")) << mLog.Text();
}

} // namespace
