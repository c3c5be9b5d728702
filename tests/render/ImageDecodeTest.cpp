// The PNG and JPEG decoders: the square buffer layout, the colour
// transformations, files in packs, and damaged input that must fail
// cleanly (or, for a JPEG cut short, still decode).
#include "render/ImageDecode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <zlib.h>

#include "platform/AssetNames.h"
#include "platform/PackFile.h"
#include "support/ImageWriter.h"
#include "support/TempFolder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Decoded buffers freed with the test.
struct Decoded : TDecodedImage {
    ~Decoded() { FreeImage(pixels); }
    uint32_t At(uint32_t x, uint32_t y) const { return pixels[size_t(y) * side + x]; }
};

class ImageDecodeTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ClearRegisteredFiles();
        UnmountFlatFiles();
    }

    // name becomes a memory file holding bytes (kept by the fixture).
    void Register(const std::string& name, Bytes bytes)
    {
        mFiles.push_back(std::make_unique<Bytes>(std::move(bytes)));
        const Bytes& held = *mFiles.back();
        static const uint8_t kNothing = 0;
        RegisterMemoryFile(name.c_str(), held.empty() ? &kNothing : held.data(), uint32_t(held.size()));
    }

    TTempLogFolder mLog{"imagedecode"};
    std::vector<std::unique_ptr<Bytes>> mFiles;
};

uint8_t Channel(uint32_t word, int shift)
{
    return uint8_t(word >> shift);
}

// Every channel of got within tolerance of want.
::testing::AssertionResult Near(uint32_t got, uint32_t want, int tolerance)
{
    for (int shift : {0, 8, 16, 24}) {
        if (std::abs(int(Channel(got, shift)) - int(Channel(want, shift))) > tolerance)
            return ::testing::AssertionFailure() << std::hex << got << " is not near " << want;
    }
    return ::testing::AssertionSuccess();
}

TPngSpec Png(uint32_t width, uint32_t height, int colorType, int bitDepth, Bytes rows)
{
    TPngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = colorType;
    spec.bitDepth = bitDepth;
    spec.rows = std::move(rows);
    return spec;
}

// A width x height RGB gradient whose every pixel differs (up to 64 x 64).
Bytes Pattern(uint32_t width, uint32_t height)
{
    Bytes rgb;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            rgb.insert(rgb.end(), {uint8_t(x * 4), uint8_t(y * 3), uint8_t((x + y) * 2)});
    return rgb;
}

uint32_t PatternWord(uint32_t x, uint32_t y)
{
    return 0xFF000000u | (x * 4) << 16 | (y * 3) << 8 | (x + y) * 2;
}

// Replaces the IHDR's width and height and mends its CRC.
Bytes WithHeaderSize(Bytes png, uint32_t width, uint32_t height)
{
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = uint8_t(width >> (24 - 8 * i));
        png[20 + i] = uint8_t(height >> (24 - 8 * i));
    }
    uint32_t crc = uint32_t(crc32(0, png.data() + 12, 17));
    for (int i = 0; i < 4; ++i)
        png[29 + i] = uint8_t(crc >> (24 - 8 * i));
    return png;
}

TEST_F(ImageDecodeTest, PngKindsBecomeBgraWords)
{
    TPngSpec paletteLowBit = Png(3, 1, PNG_COLOR_TYPE_PALETTE, 2, {0x18});
    paletteLowBit.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    TPngSpec paletteAlpha = Png(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1});
    paletteAlpha.palette = {{255, 0, 0}, {0, 255, 0}};
    paletteAlpha.paletteAlpha = {0x40};
    TPngSpec rgbKey = Png(2, 1, PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 1, 2, 3});
    rgbKey.hasTransparentColor = true;
    rgbKey.transparentColor.red = 10;
    rgbKey.transparentColor.green = 20;
    rgbKey.transparentColor.blue = 30;
    TPngSpec greyKey = Png(2, 1, PNG_COLOR_TYPE_GRAY, 8, {7, 8});
    greyKey.hasTransparentColor = true;
    greyKey.transparentColor.gray = 8;

    struct Case {
        const char* what;
        TPngSpec spec;
        bool hasAlpha;
        std::vector<uint32_t> firstRow;
    } cases[] = {
        {"grey", Png(4, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 128, 255, 64}), false,
         {0xFF000000u, 0xFF808080u, 0xFFFFFFFFu, 0xFF404040u}},
        {"grey 1-bit", Png(10, 1, PNG_COLOR_TYPE_GRAY, 1, {0xA5, 0x80}), false,
         {0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu, 0xFF000000u, 0xFF000000u, 0xFFFFFFFFu, 0xFF000000u,
          0xFFFFFFFFu, 0xFFFFFFFFu, 0xFF000000u}},
        {"grey + alpha", Png(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {200, 0, 50, 255}), true,
         {0x00C8C8C8u, 0xFF323232u}},
        {"grey + tRNS", greyKey, true, {0xFF070707u, 0x00080808u}},
        {"palette 2-bit", paletteLowBit, false, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}},
        {"palette + tRNS", paletteAlpha, true, {0x40FF0000u, 0xFF00FF00u}},
        {"RGB", Png(2, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 250, 251, 252}), false, {0xFF010203u, 0xFFFAFBFCu}},
        {"RGB + tRNS", rgbKey, true, {0x000A141Eu, 0xFF010203u}},
        {"RGBA", Png(2, 1, PNG_COLOR_TYPE_RGBA, 8, {1, 2, 3, 4, 250, 251, 252, 253}), true,
         {0x04010203u, 0xFDFAFBFCu}},
        {"RGB 16-bit", Png(1, 1, PNG_COLOR_TYPE_RGB, 16, {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0xFF}), false,
         {0xFF12ABFFu}},
        {"RGBA 16-bit", Png(1, 1, PNG_COLOR_TYPE_RGBA, 16, {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0xFF, 0x80, 0x00}), true,
         {0x8012ABFFu}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = MakePng(c.spec);
        ASSERT_FALSE(file.empty());
        Register("case.png", file);
        Decoded image;
        ASSERT_TRUE(DecodePng("case.png", image));
        EXPECT_EQ(image.width, c.spec.width);
        EXPECT_EQ(image.height, 1u);
        EXPECT_EQ(image.side, ImageSide(c.spec.width, 1));
        EXPECT_EQ(image.hasAlpha, c.hasAlpha);
        for (uint32_t x = 0; x < c.firstRow.size(); ++x)
            EXPECT_EQ(image.At(x, 0), c.firstRow[x]) << std::hex << "x " << x;
    }
}

TEST_F(ImageDecodeTest, TheImageSitsTopLeftInAZeroedPowerOfTwoSquare)
{
    struct Case {
        uint32_t width, height, side;
        bool interlaced;
    } cases[] = {
        {3, 5, 8, false}, {5, 3, 8, false}, {1, 1, 1, false}, {8, 8, 8, false},
        {9, 9, 16, true}, {17, 2, 32, true}, {1, 1, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << (c.interlaced ? " interlaced" : ""));
        TPngSpec spec = Png(c.width, c.height, PNG_COLOR_TYPE_RGB, 8, Pattern(c.width, c.height));
        spec.interlaced = c.interlaced;
        Register("square.png", MakePng(spec));
        Decoded image;
        ASSERT_TRUE(DecodePng("square.png", image));
        ASSERT_EQ(image.side, c.side);
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        for (uint32_t y = 0; y < c.side; ++y)
            for (uint32_t x = 0; x < c.side; ++x)
                ASSERT_EQ(image.At(x, y), x < c.width && y < c.height ? PatternWord(x, y) : 0u)
                    << x << "," << y;
    }
}

TEST_F(ImageDecodeTest, AFileGammaIsCorrectedForTheScreen)
{
    struct Case {
        double gamma;
        uint8_t want;
    } cases[] = {
        {0.0, 128},       // no gAMA: unchanged
        {1.0 / 2.2, 128}, // already for a 2.2 screen
        {1.0, 186},       // linear: 255 x (128 / 255) ^ (1 / 2.2)
    };
    for (const Case& c : cases) {
        TPngSpec spec = Png(1, 1, PNG_COLOR_TYPE_GRAY, 8, {128});
        spec.gamma = c.gamma;
        Register("gamma.png", MakePng(spec));
        Decoded image;
        ASSERT_TRUE(DecodePng("gamma.png", image));
        uint32_t want = 0xFF000000u | uint32_t(c.want) * 0x010101u;
        EXPECT_TRUE(Near(image.At(0, 0), want, 1)) << "gamma " << c.gamma;
    }
}

TEST_F(ImageDecodeTest, APngInAPackDecodesLikeTheLooseFile)
{
    Bytes png = MakePng(Png(3, 2, PNG_COLOR_TYPE_RGB, 8, Pattern(3, 2)));
    // A pack: magic, count, one directory entry (name, offset, size), data.
    const std::string name = "art/packed.png";
    std::string pack = "DNPK";
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            pack += char(v >> (8 * i));
    };
    put32(1);
    pack += char(name.size());
    pack += name;
    put32(uint32_t(8 + 1 + name.size() + 8));
    put32(uint32_t(png.size()));
    pack.append(png.begin(), png.end());
    std::string path = mLog.File("images.dnp");
    std::ofstream(path, std::ios::binary) << pack;
    ASSERT_TRUE(AddFlatFile(("::" + path).c_str()));
    Register("loose.png", png);

    Decoded packed, loose;
    ASSERT_TRUE(DecodePng(name.c_str(), packed));
    ASSERT_TRUE(DecodePng("loose.png", loose));
    ASSERT_EQ(packed.side, loose.side);
    EXPECT_EQ(packed.width, 3u);
    EXPECT_EQ(std::vector<uint32_t>(packed.pixels, packed.pixels + 16),
              std::vector<uint32_t>(loose.pixels, loose.pixels + 16));
}

TEST_F(ImageDecodeTest, DamagedPngsFailWithALogLine)
{
    Bytes good = MakePng(Png(16, 16, PNG_COLOR_TYPE_RGB, 8, Pattern(16, 16)));
    Bytes flipped = good;
    flipped[good.size() / 2] ^= 0x55; // inside the image data: its CRC no longer matches
    Bytes noEnd(good.begin(), good.end() - 12); // the IEND chunk missing
    struct Case {
        const char* what;
        Bytes bytes;
        const char* log;
    } cases[] = {
        {"empty", {}, "not a PNG file"},
        {"short signature", Bytes(good.begin(), good.begin() + 7), "not a PNG file"},
        {"garbage", Bytes(300, 0x41), "not a PNG file"},
        {"header only", Bytes(good.begin(), good.begin() + 33), "Read Error"},
        {"cut in the image data", Bytes(good.begin(), good.begin() + good.size() / 2), "Read Error"},
        {"no end chunk", noEnd, "Read Error"},
        {"corrupt data", flipped, "IDAT"},
        {"huge header", WithHeaderSize(good, 100000, 100000), "Invalid IHDR data"},
        {"zero width", WithHeaderSize(good, 0, 16), "Image width is zero"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mLog.Restart();
        Register("bad.png", c.bytes);
        Decoded image;
        image.width = 99;
        EXPECT_FALSE(DecodePng("bad.png", image));
        EXPECT_EQ(image.pixels, nullptr);
        EXPECT_EQ(image.width, 0u);
        EXPECT_EQ(mLog.Count(c.log), 1) << mLog.Text();
    }
    mLog.Restart();
    Decoded image;
    EXPECT_FALSE(DecodePng("missing.png", image));
    EXPECT_EQ(mLog.Count("PNG missing.png: cannot open the file"), 1);
}

TEST_F(ImageDecodeTest, ImagesOverTheCallersLimitAreRefusedBeforeDecoding)
{
    Register("wide.png", MakePng(Png(300, 2, PNG_COLOR_TYPE_GRAY, 8, Bytes(600, 9))));
    Register("wide.jpg", MakeJpeg({300, 2, TJpegKind::Grey, false, 90, Bytes(600, 9)}));
    Decoded image;
    EXPECT_FALSE(DecodePng("wide.png", image, 256));
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_FALSE(DecodeJpeg("wide.jpg", image, 256));
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(mLog.Count("300x2 is not a size we decode (at most 256 a side)"), 2) << mLog.Text();
    EXPECT_TRUE(DecodePng("wide.png", image, 300));
    FreeImage(image.pixels);
    EXPECT_TRUE(DecodeJpeg("wide.jpg", image, 300));
    EXPECT_EQ(image.side, 512u);
}

// CMYK pixels (as stored) that mean red, green, blue and grey, in the file's
// convention.
Bytes CmykRow(bool inverted)
{
    Bytes inks = {0, 255, 255, 0, 255, 0, 255, 0, 255, 255, 0, 0, 0, 0, 0, 128};
    if (inverted)
        for (uint8_t& b : inks)
            b = uint8_t(255 - b);
    Bytes rows;
    for (int y = 0; y < 8; ++y)
        for (int block = 0; block < 4; ++block)
            for (int x = 0; x < 8; ++x)
                rows.insert(rows.end(), inks.begin() + block * 4, inks.begin() + block * 4 + 4);
    return rows;
}

TEST_F(ImageDecodeTest, JpegKindsDecodeOpaque)
{
    Bytes orange;
    for (int i = 0; i < 20 * 12; ++i)
        orange.insert(orange.end(), {200, 100, 50});
    const std::vector<uint32_t> inks = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF7F7F7Fu};
    struct Case {
        const char* what;
        TJpegSpec spec;
        std::vector<uint32_t> blocks; // the colour of each 8-pixel block of the first row
        int tolerance;
    } cases[] = {
        {"RGB", {20, 12, TJpegKind::Rgb, false, 100, orange}, {0xFFC86432u}, 3},
        {"RGB progressive", {20, 12, TJpegKind::Rgb, true, 100, orange}, {0xFFC86432u}, 3},
        {"grey", {9, 9, TJpegKind::Grey, false, 100, Bytes(81, 77)}, {0xFF4D4D4Du}, 1},
        {"grey progressive", {9, 9, TJpegKind::Grey, true, 100, Bytes(81, 77)}, {0xFF4D4D4Du}, 1},
        {"Adobe CMYK (inverted)", {32, 8, TJpegKind::AdobeCmyk, false, 100, CmykRow(true)}, inks, 4},
        {"plain CMYK", {32, 8, TJpegKind::PlainCmyk, false, 100, CmykRow(false)}, inks, 4},
        {"YCCK", {32, 8, TJpegKind::Ycck, false, 100, CmykRow(true)}, inks, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = MakeJpeg(c.spec);
        ASSERT_FALSE(file.empty());
        Register("case.jpg", file);
        Decoded image;
        ASSERT_TRUE(DecodeJpeg("case.jpg", image));
        EXPECT_EQ(image.width, c.spec.width);
        EXPECT_EQ(image.height, c.spec.height);
        ASSERT_EQ(image.side, ImageSide(c.spec.width, c.spec.height));
        for (uint32_t y = 0; y < image.side; ++y) {
            for (uint32_t x = 0; x < image.side; ++x) {
                if (x >= image.width || y >= image.height) {
                    ASSERT_EQ(image.At(x, y), 0u) << x << "," << y;
                    continue;
                }
                uint32_t want = c.blocks[c.blocks.size() == 1 ? 0 : (x / 8) % c.blocks.size()];
                // Block edges blur a little between inks; their middles must match.
                if (c.blocks.size() == 1 || (x % 8 >= 2 && x % 8 <= 5)) {
                    ASSERT_TRUE(Near(image.At(x, y), want, c.tolerance)) << x << "," << y;
                }
            }
        }
    }
}

TEST_F(ImageDecodeTest, AJpegCutShortStillDecodes)
{
    // Noise, so that the image data outweighs the tables in front of it.
    Bytes noise(64 * 64 * 3);
    uint32_t seed = 12345;
    for (uint8_t& b : noise) {
        seed = seed * 1103515245u + 12345u;
        b = uint8_t(seed >> 24);
    }
    Bytes whole = MakeJpeg({64, 64, TJpegKind::Rgb, false, 90, noise});
    ASSERT_GT(whole.size(), 4000u);
    Register("whole.jpg", whole);
    Register("cut.jpg", Bytes(whole.begin(), whole.begin() + whole.size() * 6 / 10));
    Decoded full, cut;
    ASSERT_TRUE(DecodeJpeg("whole.jpg", full));
    EXPECT_EQ(mLog.Count("warning"), 0);
    ASSERT_TRUE(DecodeJpeg("cut.jpg", cut));
    EXPECT_EQ(cut.width, 64u);
    EXPECT_EQ(cut.height, 64u);
    EXPECT_EQ(mLog.Count("JPEG cut.jpg: warning: Premature end of JPEG file"), 1) << mLog.Text();
    // What the file held is there; every pixel is opaque.
    for (uint32_t x = 0; x < 64; ++x)
        EXPECT_EQ(cut.At(x, 0), full.At(x, 0));
    for (uint32_t i = 0; i < 64 * 64; ++i)
        ASSERT_EQ(cut.pixels[i] >> 24, 0xFFu);
}

TEST_F(ImageDecodeTest, BadJpegsFailWithALogLineInsteadOfEndingTheProgram)
{
    TJpegSpec spec{16, 16, TJpegKind::Rgb, false, 90, Pattern(16, 16)};
    Bytes good = MakeJpeg(spec);
    // The frame header's height and width (after FF C0, the length and the precision).
    Bytes huge = good;
    for (size_t i = 0; i + 8 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0xEA;
            huge[i + 6] = huge[i + 8] = 0x60; // 60000 x 60000
            break;
        }
    }
    TJpegSpec bigProgressive{3000, 3000, TJpegKind::Rgb, true, 50, Bytes(size_t(3000) * 3000 * 3, 90)};
    struct Case {
        const char* what;
        Bytes bytes;
        const char* log;
    } cases[] = {
        {"empty", {}, "Empty input file"},
        {"garbage", Bytes(100, 0x41), "Not a JPEG file"},
        {"start of image only", {0xFF, 0xD8}, "JPEG datastream contains no image"},
        {"header cut short", Bytes(good.begin(), good.begin() + 150), "JPEG datastream contains no image"},
        {"huge header", huge, "60000x60000 is not a size we decode"},
        {"over the 16 MB memory limit", MakeJpeg(bigProgressive), "Backing store not supported"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mLog.Restart();
        Register("bad.jpg", c.bytes);
        Decoded image;
        EXPECT_FALSE(DecodeJpeg("bad.jpg", image));
        EXPECT_EQ(image.pixels, nullptr);
        EXPECT_EQ(mLog.Count(c.log), 1) << mLog.Text();
    }
    mLog.Restart();
    Decoded image;
    EXPECT_FALSE(DecodeJpeg("missing.jpg", image));
    EXPECT_EQ(mLog.Count("JPEG missing.jpg: cannot open the file"), 1);
}

TEST_F(ImageDecodeTest, DecodesOnSeveralThreadsAtOnceKeepTheirOwnState)
{
    Register("t.png", MakePng(Png(40, 30, PNG_COLOR_TYPE_RGB, 8, Pattern(40, 30))));
    Register("t.jpg", MakeJpeg({40, 30, TJpegKind::Rgb, true, 100, Pattern(40, 30)}));
    Register("bad.jpg", Bytes(64, 0x41));
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 25; ++i) {
                Decoded png, jpeg, bad;
                bool ok = DecodePng("t.png", png) && png.At(39, 29) == PatternWord(39, 29) &&
                          DecodeJpeg("t.jpg", jpeg) && Near(jpeg.At(5, 5), PatternWord(5, 5), 8) &&
                          !DecodeJpeg("bad.jpg", bad);
                failures[size_t(t)] += ok ? 0 : 1;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

} // namespace
