#pragma once
// Fixture for animated textures and sprites on the recording device:
// descriptions are memory files made by the test, and sheets come from a
// fake image loader that knows a few names and sizes.

#include <map>
#include <string>
#include <vector>

#include "DisplayFixture.h"
#include "render/AnimatedTexture.h"
#include "render/Renderer.h"
#include "render/TestTexture.h"
#include "render/TextureData.h"
#include "support/AnmWriter.h"
#include "support/HeadlessDisplay.h"

class AnimFixture : public DisplayFixture {
protected:
    // Sheet files the fake loader knows: name -> size (square surfaces).
    static inline std::map<std::string, uint32_t> sheets;
    // Each load: "file|mask".
    static inline std::vector<std::string> loads;

    static bool FakeLoad(TTextureData& data, const TString& file, const TString& mask)
    {
        loads.push_back(std::string(file.c_str()) + "|" + mask.c_str());
        auto found = sheets.find(file.c_str());
        if (found == sheets.end() || (!mask.IsEmpty() && !sheets.count(mask.c_str())))
            return false;
        const uint32_t side = found->second;
        if (!data.CreateSurface(side, side))
            return false;
        data.mWidth = data.mHeight = side;
        std::vector<uint32_t> pixels(size_t(side) * side, 0xFF808080u);
        data.CopyPixels(side, side, pixels.data());
        data.mFileName = file;
        data.mMaskFileName = mask;
        return true;
    }

    void SetUp() override
    {
        DisplayFixture::SetUp();
        platform->SetDisplay(800, 600, false, false, false, false);
        ASSERT_TRUE(platform->IsDeviceReady());
        TRenderer::Shutdown();
        InstallPlatformRenderDevice();
        sheets = {{"anim/sheet.png", 128}, {"sheet.png", 64}, {"anim/mask.png", 128}, {"other.png", 32}};
        loads.clear();
        SetTextureLoader(FakeLoad);
        GfxRecordingLog().Clear();
    }

    void TearDown() override
    {
        TRenderer::Shutdown();
        SetTextureLoader(nullptr);
        DisplayFixture::TearDown();
    }

    // Registers bytes as the asset `name` (kept alive by the fixture).
    void AddFile(const std::string& name, const std::string& bytes)
    {
        std::string& kept = files[name];
        kept = bytes;
        // A memory file needs an address even when empty.
        RegisterMemoryFile(name.c_str(), kept.empty() ? "" : kept.data(), uint32_t(kept.size()));
    }

    // A texture with only its description read (no sheet).
    TAnimatedTextureRef Describe(const std::string& name)
    {
        auto texture = std::make_shared<TAnimatedTexture>(name.c_str());
        if (!texture->Load(TString(), TString()))
            return TAnimatedTextureRef();
        return texture;
    }

    TRenderer& Renderer() { return *TRenderer::Get(); }

    // The pixels of a texture, row by row; empty when it cannot be read.
    static std::vector<uint32_t> PixelsOf(const TTextureRef& texture)
    {
        std::vector<uint32_t> out;
        uint32_t* bits = nullptr;
        uint32_t pitch = 0;
        if (!texture || !texture->Lock(bits, pitch))
            return out;
        for (uint32_t y = 0; y < texture->GetHeight(); ++y)
            for (uint32_t x = 0; x < texture->GetWidth(); ++x)
                out.push_back(bits[size_t(y) * pitch + x]);
        texture->Unlock();
        return out;
    }

    std::map<std::string, std::string> files;
};

// The four corners of a recorded quad: position and texture coordinates.
struct QuadCorner {
    float x, y, u, v;
};

inline std::vector<QuadCorner> QuadOf(const GfxDrawRecord& d)
{
    std::vector<QuadCorner> out;
    for (uint32_t i = 0; i < d.vertexCount; ++i)
        out.push_back({d.Float(i, 0), d.Float(i, 4), d.Float(i, 24), d.Float(i, 28)});
    return out;
}
