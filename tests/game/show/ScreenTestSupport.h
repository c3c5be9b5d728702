#pragma once
// The studio screens' tests: a window manager over the recording display
// with a window script (so the display windows run their real scripts from
// the source tree), the synthetic font as the chalkboard font, pictures of
// chosen sizes from a fake image loader, a small studio set, and the event
// and animation managers of the 2D animation fixture.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game/show/ShowController.h"
#include "game/stage/AnimTestSupport.h"
#include "game/stage/scene/SceneSet.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/TextServices.h"
#include "render/Texture.h"
#include "support/SyntheticFont.h"
#include "ui/WindowScript.h"

namespace screentest {

// Picture files the fake loader knows: name -> (width, height).
inline std::map<std::string, std::pair<uint32_t, uint32_t>> gPictures;

inline bool LoadPicture(TTextureData& data, const TString& file, const TString& mask)
{
    auto found = gPictures.find(file.c_str());
    if (found == gPictures.end() || !mask.IsEmpty())
        return false;
    const auto [width, height] = found->second;
    if (!data.CreateSurface(width, height))
        return false;
    data.mWidth = width;
    data.mHeight = height;
    std::vector<uint32_t> pixels(size_t(width) * height, 0xFF3060A0u);
    data.CopyPixels(width, height, pixels.data());
    data.mFileName = file;
    return true;
}

// The screens, two small screens and two of the four pedestal lights.
constexpr char kSet[] = R"(<scene><models>
<model><Name>mainscreen_1</Name></model>
<model><Name>mainscreen_2</Name></model>
<model><Name>Windows02</Name></model>
<model><Name>Windows11</Name></model>
<model><Name>ped_light_0</Name></model>
<model><Name>ped_light_2</Name></model>
</models></scene>)";

constexpr const char* kChalkFont = "fonts/chalkboard.mvec";

class ScreenFixture : public animtest::AnimFixture {
protected:
    void SetUp() override
    {
        AnimFixture::SetUp();
        gPictures = {{"ui/screen_board.png", {256, 144}},
                     {"ui/screen_picture.png", {90, 134}},
                     {"sheet.png", {256, 256}},
                     {"backgrounds/chalkboard_sm", {256, 256}},
                     {"backgrounds/blackboard_clear", {128, 128}}};
        SetTextureLoader(LoadPicture);
        mFace = synthetic_font::Bytes();
        RegisterMemoryFile(kChalkFont, mFace.data(), uint32_t(mFace.size()));
        mFonts = std::make_unique<TFontCache>(mFace.data(), mFace.size());
        mRasteriser = std::make_unique<TDnMiniVecDraw>();
        SetTextServices(mFonts.get(), mRasteriser.get());
        for (const char* name : {"scripts/QShow.lua", "scripts/QShowPic.lua"})
            AddSource(name);
        mScript = std::make_unique<TWindowScript>(nullptr);
        mManager->Init(mScript.get());
        AddFile("mesh/set/Set.xml", kSet);
        Scene()->Load(TString("mesh/set/Set.xml"), true);
    }

    void TearDown() override
    {
        ShowController::Destroy();
        KScene::KSceneSet::Destroy();
        // Deferred deletions go while the manager still lives.
        DeleteDeferred();
        mManager->Init(nullptr);
        mScript.reset();
        SetTextServices(nullptr, nullptr);
        mRasteriser.reset();
        mFonts.reset();
        RegisterMemoryFile(kChalkFont, nullptr, 0);
        gPictures.clear();
        AnimFixture::TearDown();
    }

    // The file of the source tree's assets folder as the asset of that name.
    void AddSource(const std::string& name)
    {
        std::ifstream in(std::string(QUILLORY_SOURCE_DIR) + "/assets/" + name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        ASSERT_FALSE(text.str().empty()) << name;
        AddFile(name, text.str());
    }

    // The idle event that deletes the windows queued for deletion.
    void DeleteDeferred()
    {
        mManager->DispatchMessages();
        mManager->HandleEvent(uitest::Ev(kEventIdle));
        mManager->DispatchMessages();
    }

    static KScene::KSceneSet* Scene() { return KScene::KSceneSet::Get(); }
    static TTextureRef Screen(const char* name) { return Scene()->GetElementTexture(TString(name)); }

    std::vector<uint8_t> mFace;
    std::unique_ptr<TFontCache> mFonts;
    std::unique_ptr<TDnMiniVecDraw> mRasteriser;
    std::unique_ptr<TWindowScript> mScript;
};

} // namespace screentest
