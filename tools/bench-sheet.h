#pragma once
// The sprite sheet of the animation benchmarks (bench-sprites, bench-anims):
// "bench/run", 8 x 8 frames of 32 x 32 texels in one 256 x 256 texture,
// described by an .anm file in memory and painted in place of a decoded
// image (a pattern per frame with half-transparent corners). Unregistered
// when it goes out of scope.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/AssetNames.h"
#include "render/AnimatedTexture.h"
#include "render/TextureData.h"
#include "support/AnmWriter.h"

class BenchSheet {
public:
    static constexpr const char* kName = "bench/run";
    static constexpr int kColumns = 8; // frames per row and per column
    static constexpr int kFrameSize = 32;
    static constexpr int kSize = kColumns * kFrameSize;

    BenchSheet() : mDescription(anm::Write(anm::Grid(kColumns, kColumns, kFrameSize)))
    {
        RegisterMemoryFile("bench/run.anm", mDescription.data(), uint32_t(mDescription.size()));
        SetTextureLoader(Paint);
        mTexture = TAnimatedTexture::Get(kName);
        SetTextureLoader(nullptr);
    }
    ~BenchSheet()
    {
        mTexture.reset();
        RegisterMemoryFile("bench/run.anm", nullptr, 0);
    }
    BenchSheet(const BenchSheet&) = delete;
    BenchSheet& operator=(const BenchSheet&) = delete;

    // Empty when the sheet did not load.
    const TAnimatedTextureRef& Get() const { return mTexture; }

private:
    static bool Paint(TTextureData& data, const TString&, const TString&)
    {
        if (!data.CreateSurface(kSize, kSize))
            return false;
        data.mWidth = data.mHeight = kSize;
        std::vector<uint32_t> pixels(size_t(kSize) * kSize);
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const int frame = (y / kFrameSize) * kColumns + x / kFrameSize;
                const bool corner = (x % kFrameSize < 4) && (y % kFrameSize < 4);
                pixels[size_t(y) * kSize + x] = (corner ? 0x80000000u : 0xFF000000u) | uint32_t(frame * 4) << 16 |
                                                uint32_t((x * 7) & 0xFF) << 8 | uint32_t((y * 5) & 0xFF);
            }
        return data.CopyPixels(kSize, kSize, pixels.data());
    }

    std::string mDescription;
    TAnimatedTextureRef mTexture;
};
