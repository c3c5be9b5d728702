#pragma once
// Image files for widget tests: RGB PNGs made in memory and registered
// under a name, each pixel given by a function of its position.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/AssetNames.h"
#include "support/ImageWriter.h"

namespace uitest {

class TWidgetImages {
public:
    using TColourAt = std::function<uint32_t(uint32_t x, uint32_t y)>; // 0xRRGGBB

    void Add(const std::string& name, uint32_t width, uint32_t height, const TColourAt& colour)
    {
        TPngSpec spec;
        spec.width = width;
        spec.height = height;
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                uint32_t rgb = colour(x, y);
                spec.rows.push_back(uint8_t(rgb >> 16));
                spec.rows.push_back(uint8_t(rgb >> 8));
                spec.rows.push_back(uint8_t(rgb));
            }
        mFiles.push_back(std::make_unique<std::vector<uint8_t>>(MakePng(spec)));
        RegisterMemoryFile(name.c_str(), mFiles.back()->data(), uint32_t(mFiles.back()->size()));
    }
    void Add(const std::string& name, uint32_t width, uint32_t height, uint32_t rgb = 0x808080)
    {
        Add(name, width, height, [rgb](uint32_t, uint32_t) { return rgb; });
    }

private:
    std::vector<std::unique_ptr<std::vector<uint8_t>>> mFiles;
};

} // namespace uitest
