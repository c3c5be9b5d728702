#pragma once
// The stage's 2D pieces on the recording device: animated-texture sheets
// from memory files (render/AnimFixture.h) and the synthetic font under
// every font name the stage uses, so texts lay out and draw headless.

#include <memory>
#include <string>
#include <vector>

#include "game/show/event/EventManager.h"
#include "game/stage/anim/AnimManager.h"

#include "platform/AssetNames.h"
#include "render/AnimFixture.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/TextServices.h"
#include "render/Texture.h"
#include "support/SyntheticFont.h"

class StageFixture : public AnimFixture {
protected:
    static constexpr const char* kFontNames[] = {"fonts/test.mvec", "fonts/Centry.mvec", "fonts/century.mvec"};

    void SetUp() override
    {
        AnimFixture::SetUp();
        mFace = synthetic_font::Bytes();
        for (const char* name : kFontNames)
            RegisterMemoryFile(name, mFace.data(), uint32_t(mFace.size()));
        mFonts = std::make_unique<TFontCache>(mFace.data(), mFace.size());
        mRasteriser = std::make_unique<TDnMiniVecDraw>();
        SetTextServices(mFonts.get(), mRasteriser.get());
    }

    void TearDown() override
    {
        SetTextServices(nullptr, nullptr);
        mRasteriser.reset();
        mFonts.reset();
        for (const char* name : kFontNames)
            RegisterMemoryFile(name, nullptr, 0);
        AnimFixture::TearDown();
    }

    // An animation description of count frames of w x h on the shared
    // 128-pixel sheet, registration point at the frame's top-left; anchor
    // (x, y) named "Text" on the frames listed in anchored.
    void AddSheet(const std::string& name, int32_t count, int32_t w, int32_t h,
                  const std::vector<int32_t>& anchored = {}, int32_t ax = 0, int32_t ay = 0)
    {
        std::string xml = "<sequence name=\"s\"><img name=\"sheet.png\"/><framelist>";
        for (int32_t i = 0; i < count; ++i) {
            xml += "<frame x=\"0\" y=\"0\" w=\"" + std::to_string(w) + "\" h=\"" + std::to_string(h) +
                   "\" regx=\"0\" regy=\"0\">";
            for (int32_t a : anchored)
                if (a == i)
                    xml += "<anchor name=\"Text\" x=\"" + std::to_string(ax) + "\" y=\"" + std::to_string(ay) +
                           "\"/>";
            xml += "</frame>";
        }
        AddFile(name, xml + "</framelist></sequence>");
    }

    // A fresh event manager for a test; both managers go in TearDownAnims.
    static void FreshManagers()
    {
        KEvent::EventManager::Destroy();
        KEvent::EventManager::AllowRecreateForTests();
    }
    static void TearDownManagers()
    {
        KAnim::AnimManager::Destroy();
        KEvent::EventManager::Destroy();
        KEvent::EventManager::AllowRecreateForTests();
    }
    static void EventPass() { KEvent::EventManager::Instance()->Update(); }

    // Runs draw inside an open 2D pass; the number of draws it recorded.
    template <class F>
    size_t DrawnBy(F draw)
    {
        GfxRecordingLog().Clear();
        if (!Renderer().BeginDraw(false) || !Renderer().Begin2d())
            return size_t(-1);
        draw();
        Renderer().End2d();
        Renderer().EndDraw(false);
        return GfxRecordingLog().draws.size();
    }

    // A render target filled with the given pixels, row by row.
    static TTextureRef MakeTexture(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels,
                                   bool alpha = true)
    {
        TTextureRef texture = TTexture::CreateRenderTarget(width, height, alpha);
        uint32_t* bits = nullptr;
        uint32_t pitch = 0;
        if (!texture || !texture->Lock(bits, pitch))
            return TTextureRef();
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                bits[size_t(y) * pitch + x] = pixels[size_t(y) * width + x];
        texture->Unlock();
        return texture;
    }

    std::vector<uint8_t> mFace;
    std::unique_ptr<TFontCache> mFonts;
    std::unique_ptr<TDnMiniVecDraw> mRasteriser;
};
