// The game's cross-sell screen (assets/xsell.lua with assets/xsell/xsell.xml)
// run by the window script without a display: every entry filled and shown,
// buttons on the screen, a click opening the game's page, Back closing it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ui/Button.h"
#include "ui/HostedScriptSupport.h"
#include "ui/Text.h"

namespace {

class XSellScreenTest : public uitest::HostedScriptFixture {
protected:
    void SetUp() override
    {
        HostedScriptFixture::SetUp();
        AddFile("assets/xsell.lua", std::string(QUILLORY_SOURCE_DIR) + "/assets/xsell.lua");
        AddFile("xsell/xsell.xml", std::string(QUILLORY_SOURCE_DIR) + "/assets/xsell/xsell.xml");
        for (const char* face : {"button_normal", "button_pressed", "button_rollover"})
            AddFile(std::string("ui/") + face + ".png", std::string(QUILLORY_ASSET_DIR) + "/ui/" + face + ".png");
    }
    void AddFile(const std::string& name, const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        std::ostringstream text;
        text << in.rdbuf();
        AddAsset(name, text.str());
    }
    TWindow* Find(const std::string& name) { return mManager->GetTopModal()->FindChild(TString(name.c_str())); }
    void Click(TWindow* window)
    {
        ASSERT_NE(window, nullptr);
        const TPoint p = window->ClientToScreen({window->GetWidth() / 2, window->GetHeight() / 2});
        for (int32_t type : {kEventMouseMove, kEventLeftDown, kEventLeftUp})
            mManager->HandleEvent(uitest::Ev(type, p.x, p.y));
        for (int i = 0; i < 3; ++i) {
            Tick(20);
            Pump();
        }
    }
};

TEST_F(XSellScreenTest, EveryGameIsListedAndOpensItsPage)
{
    ASSERT_TRUE(Run("return function() result = DoModal('xsell.lua') end")) << mLog.Text();
    ASSERT_TRUE(mScript->IsWaiting());
    ASSERT_NE(Find("xsell"), nullptr);
    const TRect screen(0, 0, 800, 600);
    for (int n = 1; n <= 7; ++n) {
        const std::string number = std::to_string(n);
        auto* text = TWindow::Cast<TText>(Find("descrip" + number));
        ASSERT_NE(text, nullptr) << n;
        const std::string content = text->GetText().c_str();
        EXPECT_NE(content.find("<a id='xsellbutton" + number + "'>"), std::string::npos) << content;
        TWindow* button = Find("xsellbutton" + number);
        ASSERT_NE(button, nullptr) << n;
        EXPECT_TRUE(button->GetFlags() & kWindowShown) << n;
        const TRect rect = button->GetScreenRect();
        EXPECT_TRUE(rect.left >= screen.left && rect.right <= screen.right && rect.top >= screen.top &&
                    rect.bottom <= screen.bottom)
            << n;
    }
    EXPECT_TRUE(Find("gamesite")->GetFlags() & kWindowShown);
    EXPECT_EQ(std::string(TWindow::Cast<TText>(Find("centertext1"))->GetText().c_str()),
              "More games from Larkspur Lane");

    Click(Find("xsellbutton3"));
    Click(Find("gamesite"));
    std::vector<std::string> want = {"https://larkspur-lane.example/games/sum-garden",
                                     "https://larkspur-lane.example/"};
    EXPECT_EQ(mApp.opened, want);

    Click(Find("back"));
    EXPECT_EQ(Eval("result"), "back");
}

} // namespace
