// The main window's icon: the generator's picture, carried by the program
// and handed to the window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/AppIcon.h"
#include "app/AppIconPng.h"
#include "os/window/Window.h"
#include "render/ImageDecode.h"
#include "support/TempFolder.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(AppIcon, TheProgramCarriesTheGeneratorsPicture)
{
    const std::vector<uint8_t> held(kAppIconPngData, kAppIconPngData + sizeof kAppIconPngData);
    EXPECT_EQ(held, ReadBytes(QUILLORY_SOURCE_DIR "/assets/icon.png"));
    if (std::system("python3 --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3 is not installed";
    TTempFolder temp("icongen");
    ASSERT_FALSE(temp.Path().empty());
    const std::string made = temp.Path() + "/icon.png";
    ASSERT_EQ(std::system(("python3 " QUILLORY_SOURCE_DIR "/tools/make-icon.py " + made).c_str()), 0);
    EXPECT_EQ(ReadBytes(made), held) << "run tools/make-icon.py again";
}

TEST(AppIcon, DecodesToA48PixelPictureWithTransparentCorners)
{
    TDecodedImage icon;
    ASSERT_TRUE(DecodePngBytes(kAppIconPngData, sizeof kAppIconPngData, "icon", icon));
    EXPECT_EQ(icon.width, 48u);
    EXPECT_EQ(icon.height, 48u);
    EXPECT_TRUE(icon.hasAlpha);
    EXPECT_EQ(icon.pixels[0] >> 24, 0u) << "corner";
    EXPECT_EQ(icon.pixels[24 * icon.side + 4] >> 24, 255u) << "inside the square";
    // The question mark's dot is gold.
    EXPECT_EQ(icon.pixels[38 * icon.side + 24], 0xFFFFCD28u);
    FreeImage(icon.pixels);
}

TEST(AppIcon, IsSetOnRealWindowsOnlyWithSensibleArguments)
{
    OsWindowParams params;
    params.headless = true;
    OsWindow window = OsCreateWindow(params);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(SetAppIcon(window)); // a headless window has nothing to show
    const uint32_t pixels[4] = {};
    struct Case {
        OsWindow window;
        const uint32_t* pixels;
        int32_t width, height, pitch;
        bool set;
    };
    const Case cases[] = {
        {window, pixels, 2, 2, 2, true},
        {window, pixels, 2, 2, 1, false},  // pitch below the width
        {window, nullptr, 2, 2, 2, false},
        {window, pixels, 0, 2, 2, false},
        {window, pixels, 2, -1, 2, false},
        {nullptr, pixels, 2, 2, 2, false}, // not a window
    };
    for (const Case& c : cases)
        EXPECT_EQ(OsSetWindowIcon(c.window, c.pixels, c.width, c.height, c.pitch), c.set)
            << c.width << "x" << c.height << " pitch " << c.pitch;
    OsDestroyWindow(window);
}

} // namespace
