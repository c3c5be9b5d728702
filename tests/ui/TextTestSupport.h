#pragma once
// Text widgets on the headless window manager: the synthetic font as the
// built-in font and as "fonts/test.mvec" (20-pixel lower-case letters are
// 8 pixels wide), a fake window script with a string table and a
// clipboard, and styles written as Lua tables.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
#include "ManagerTestSupport.h"
#include "platform/AssetNames.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/TextServices.h"
#include "support/SyntheticFont.h"
#include "support/TempFolder.h"
#include "ui/WindowStyle.h"

namespace uitest {

class TextScript : public FakeScript {
public:
    std::map<std::string, std::string> strings;
    std::string clipboard;
    int lookups = 0;

    TString LookupLabel(const TString& label) override
    {
        ++lookups;
        auto it = strings.find(Str(label));
        return it == strings.end() ? TString("#####") : TString(it->second.c_str());
    }
    TString GetClipboardString() override { return TString(clipboard.c_str()); }
};

class TextFixture : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        mFace = synthetic_font::Bytes();
        RegisterMemoryFile("fonts/test.mvec", mFace.data(), uint32_t(mFace.size()));
        mFonts = std::make_unique<TFontCache>(mFace.data(), mFace.size());
        SetTextServices(mFonts.get(), nullptr);
        mManager->Init(&mScript);
        L = luaL_newstate();
    }
    void TearDown() override
    {
        // Windows first (their layouts hold fonts), then the fonts.
        mManager.reset();
        lua_close(L);
        SetTextServices(nullptr, nullptr);
        mFonts.reset();
        RegisterMemoryFile("fonts/test.mvec", nullptr, 0);
        ManagerFixture::TearDown();
    }

    // The style the Lua table constructor describes.
    std::unique_ptr<TWindowStyle> Style(const std::string& table)
    {
        EXPECT_EQ(luaL_dostring(L, ("return " + table).c_str()), 0) << table;
        return std::make_unique<TWindowStyle>(L);
    }

    // A new window of type W added to parent and initialised from the table.
    template <class W>
    W* Make(TWindow* parent, const std::string& table)
    {
        W* window = new W();
        parent->AddChild(window, true);
        window->Init(*Style(table));
        return window;
    }

    // A pointer or key event through the window manager.
    void Send(int32_t type, int32_t x = 0, int32_t y = 0, int32_t param = 0, int32_t param2 = 0)
    {
        TPlatformEvent event = Ev(type, x, y, param);
        event.param2 = param2;
        mManager->HandleEvent(event);
    }

    bool LogHas(const std::string& piece) const { return mLog.Text().find(piece) != std::string::npos; }
    size_t LogCount(const std::string& piece) const
    {
        const std::string text = mLog.Text();
        size_t n = 0;
        for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
            ++n;
        return n;
    }

    TTempLogFolder mLog{"texttest"};
    TextScript mScript;
    std::vector<uint8_t> mFace;
    std::unique_ptr<TFontCache> mFonts;
    lua_State* L = nullptr;
};

} // namespace uitest
