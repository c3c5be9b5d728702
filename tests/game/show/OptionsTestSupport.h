#pragma once
// The options dialog and the credits on a window manager with the real
// window script and dialog library: the game settings over a temporary
// player folder with a fake application, the synthetic font for every text,
// the game's own option and credits scripts from the source tree, and the
// fake clock.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "game/show/screens/Credits.h"
#include "game/show/screens/OptionMenu.h"
#include "platform/StringTable.h"
#include "StringTableHost.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/TextServices.h"
#include "support/SyntheticFont.h"
#include "ui/Slider.h"
#include "ui/WindowScriptSupport.h"

namespace optionstest {

class OptionsFixture : public uitest::WindowScriptFixture {
protected:
    void SetUp() override
    {
        mScriptHost = &mStrings;
        WindowScriptFixture::SetUp();
        AddSource("strings.xml", "strings.xml");
        ASSERT_TRUE(mStrings.table.Load(TString("strings.xml")));
        mManager->SetTranslateLabels(true);
        mkdir((mRoot + "/user").c_str(), 0755);
        mFace = synthetic_font::Bytes();
        mFonts = std::make_unique<TFontCache>(mFace.data(), mFace.size());
        mRasteriser = std::make_unique<TDnMiniVecDraw>();
        SetTextServices(mFonts.get(), mRasteriser.get());
        ASSERT_TRUE(RegisterOptionMenu(mManager.get()));
        ASSERT_TRUE(RegisterCreditsWindow(mManager.get()));
        ASSERT_TRUE(mManager->RegisterWindowType(TString("Slider"), &TSlider::GetCreator));
        for (const char* name : {"scripts/options.lua", "scripts/credits.lua"})
            AddSource("assets/" + std::string(name), name);
        AddSource("credits.txt", "credits.txt");
        mSettingsHost.windows = mManager.get();
        mSettings = GameSettings::Create(&mSettingsHost);
    }
    void TearDown() override
    {
        GameSettings::Destroy();
        ClearConfig();
        SetTextServices(nullptr, nullptr);
        WindowScriptFixture::TearDown();
    }

    // The file of the source tree's assets folder under an asset name.
    void AddSource(const std::string& name, const std::string& source)
    {
        std::ifstream in(std::string(QUILLORY_SOURCE_DIR) + "/assets/" + source, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        ASSERT_FALSE(text.str().empty()) << source;
        AddText(name, text.str());
    }
    void AddText(const std::string& name, const std::string& text)
    {
        mTexts.push_back(std::make_unique<std::string>(text));
        RegisterMemoryFile(name.c_str(), mTexts.back()->data(), uint32_t(mTexts.back()->size()));
    }

    // The named window under the top modal, as T.
    template <class T>
    T* Top(const char* name)
    {
        TWindow* top = mManager->GetTopModal();
        return TWindow::Cast<T>(top ? top->FindChild(TString(name)) : nullptr);
    }
    static void Press(TWindow* from, const char* name)
    {
        ASSERT_NE(from, nullptr) << name;
        from->SendMessage(std::make_unique<TMessage>(kMsgButtonPress, TString(name)));
    }
    // A left click at the window's centre, through the window manager.
    void Click(TWindow* window)
    {
        ASSERT_NE(window, nullptr);
        const TPoint p = window->ClientToScreen({window->GetWidth() / 2, window->GetHeight() / 2});
        for (int32_t type : {kEventMouseMove, kEventLeftDown, kEventLeftUp})
            mManager->HandleEvent(uitest::Ev(type, p.x, p.y));
        mManager->DispatchMessages();
    }

    showtest::StringTableHost mStrings;
    settingstest::FakeSettingsHost mSettingsHost;
    GameSettings* mSettings = nullptr;
    std::vector<uint8_t> mFace;
    std::unique_ptr<TFontCache> mFonts;
    std::unique_ptr<TDnMiniVecDraw> mRasteriser;
    std::vector<std::unique_ptr<std::string>> mTexts;
};

} // namespace optionstest
