#include "DisplayFixture.h"

#include <zlib.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "render/CursorImage.h"
#include "render/TestTexture.h"
#include "support/TempFolder.h"
#include "ui/WindowManager.h"

namespace {

class CursorTest : public DisplayFixture {
protected:
    void SetUp() override
    {
        DisplayFixture::SetUp();
        platform->SetDisplay(800, 600, false, false, false, false);
        ASSERT_TRUE(platform->IsDeviceReady());
    }
};

TEST_F(CursorTest, ThePollSkipsABusyMutexAfterFiveMilliseconds)
{
    platform->MoveMouse(100, 100);
    now += 100;
    platform->TakeCursorPresentDue();
    TMousePos pos;
    std::chrono::steady_clock::duration waited{};
    {
        std::lock_guard<std::recursive_mutex> hold(Context().GetMouseMutex());
        std::thread poller([&] {
            auto start = std::chrono::steady_clock::now();
            pos = platform->MoveMouse(-1, -1);
            waited = std::chrono::steady_clock::now() - start;
        });
        poller.join();
    }
    EXPECT_EQ(pos.x, -1);
    EXPECT_GE(waited, std::chrono::milliseconds(5));
    EXPECT_LT(waited, std::chrono::milliseconds(500));
    EXPECT_FALSE(platform->TakeCursorPresentDue());
    // Free again, the same poll shows the cursor.
    std::thread([&] { pos = platform->MoveMouse(-1, -1); }).join();
    EXPECT_EQ(pos.x, 100);
    EXPECT_TRUE(platform->TakeCursorPresentDue());
}

TEST_F(CursorTest, ThePollLeavesTheWindowBoundsToTheMainThread)
{
    platform->MoveMouse(10, 10);
    now += 100;
    std::thread([&] { platform->MoveMouse(-1, -1); }).join();
    ASSERT_TRUE(Context().GetCursorState().drawnFlag);

    // The window shrinks unseen; then the pointer leaves its client area and
    // the poll takes the cursor off.
    const TRect before = Context().GetDisplayObject().GetBounds();
    ASSERT_EQ(before.Width(), 800);
    ASSERT_TRUE(OsSetClientSize(window, 640, 480));
    platform->MoveMouse(900, 100);
    now += 100;
    platform->TakeCursorPresentDue();
    std::thread([&] { platform->MoveMouse(-1, -1); }).join();
    TDXContext::CursorState s = Context().GetCursorState();
    EXPECT_FALSE(s.drawnFlag);
    EXPECT_FALSE(s.tracking);
    EXPECT_TRUE(platform->TakeCursorPresentDue()) << "the picture loses the cursor";
    EXPECT_TRUE(Context().GetDisplayObject().GetBounds() == before)
        << "the poll read the window bounds from the window system";

    // The main thread's idle pass reads them, once.
    platform->ServeCursor();
    EXPECT_EQ(Context().GetDisplayObject().GetBounds().Width(), 640);
    ASSERT_TRUE(OsSetClientSize(window, 700, 500));
    platform->ServeCursor();
    EXPECT_EQ(Context().GetDisplayObject().GetBounds().Width(), 640) << "nothing left stale";
}

TEST_F(CursorTest, TheFrameDrawsTheCursorAtThePointer)
{
    platform->MoveMouse(120, 130);
    ASSERT_TRUE(platform->BeginDraw(false));
    platform->EndDraw(true);
    TDXContext::CursorState s = Context().GetCursorState();
    EXPECT_TRUE(s.drawnFlag);
    EXPECT_EQ(s.drawn.x, 120);
    EXPECT_EQ(s.drawn.y, 130);
    EXPECT_FALSE(s.intoBack);
    EXPECT_FALSE(Context().IsPresentDue()) << "the frame showed it";

    // Outside the window's client area the cursor is taken off.
    platform->MoveMouse(900, 100);
    ASSERT_TRUE(platform->BeginDraw(false));
    platform->EndDraw(true);
    s = Context().GetCursorState();
    EXPECT_FALSE(s.drawnFlag);
    EXPECT_FALSE(s.tracking);
    EXPECT_TRUE(s.intoBack);

    // Leaving the window hides it until the next move.
    platform->MoveMouse(10, 10);
    now += 100;
    platform->MoveMouse(-1, -1);
    ASSERT_TRUE(Context().GetCursorState().drawnFlag);
    platform->TakeCursorPresentDue();
    platform->MouseLeft();
    s = Context().GetCursorState();
    EXPECT_FALSE(s.drawnFlag);
    EXPECT_FALSE(s.tracking);
    EXPECT_TRUE(platform->TakeCursorPresentDue()) << "the picture loses the cursor";
}

TEST_F(CursorTest, TextureImagesAndTheirFailures)
{
    TTextureRef image = MakeTestTexture(16, 24, 0xFFFF00FFu);
    GfxRecordingLog().Clear();
    platform->SetCursorImage(image, 3, 4);
    EXPECT_EQ(platform->GetCursorTexture(), image);
    EXPECT_TRUE(GfxRecordingLog().Has("SetCursorImage 16x24 hot 3,4 keyed"));
    TDXContext::CursorState s = Context().GetCursorState();
    EXPECT_EQ(s.width, 16);
    EXPECT_EQ(s.height, 24);

    // A texture whose surface is missing.
    TTextureRef empty = MakeEmptyTestTexture();
    platform->SetCursorImage(empty, 0, 0);
    EXPECT_EQ(LogCount("Cursor surface missing!"), 1);
    EXPECT_FALSE(platform->GetCursorTexture());
    EXPECT_EQ(Context().GetCursorState().width, 0);
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, -1) << "no image: the poll backs off";

    // An image file that is not a picture.
    static const char junk[] = "not a png at all";
    RegisterMemoryFile("junk.png", junk, sizeof junk);
    EXPECT_FALSE(platform->SetCursorImageFile("junk.png", 0, 0));
    EXPECT_FALSE(platform->SetCursorImageFile("missing.png", 0, 0));
    EXPECT_EQ(LogCount("Cursor image missing.png not found"), 1);
}

TEST_F(CursorTest, RestoringTheImageIsGuardedAndWaitsForMovies)
{
    RegisterSystemCursor();
    ASSERT_TRUE(platform->SetCursorImageFile(kSystemCursorName, 2, 2));
    GfxRecordingLog().Clear();

    // While a movie shows only the drawn state is dropped.
    platform->MoveMouse(10, 10);
    now += 100;
    platform->MoveMouse(-1, -1);
    host->moviePlaying = true;
    Context().RestoreMouseImage();
    EXPECT_FALSE(GfxRecordingLog().Has("SetCursorImage"));
    EXPECT_FALSE(Context().GetCursorState().drawnFlag);
    host->moviePlaying = false;
    Context().RestoreMouseImage();
    EXPECT_EQ(GfxRecordingLog().Count("SetCursorImage 32x32"), 1u);

    // A second call while one runs (here: blocked on the mouse mutex in
    // another thread) is refused.
    std::thread restorer;
    {
        std::lock_guard<std::recursive_mutex> hold(Context().GetMouseMutex());
        restorer = std::thread([&] { Context().RestoreMouseImage(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Context().RestoreMouseImage();
        EXPECT_EQ(LogCount("Second concurrent call to RestoreMouseImage"), 1);
    }
    restorer.join();
    EXPECT_EQ(GfxRecordingLog().Count("SetCursorImage 32x32"), 2u);
}

TEST_F(CursorTest, TheBuiltInArrowDecodes)
{
    size_t size = 0;
    const uint8_t* png = SystemCursorPng(&size);
    TCursorPixels image;
    ASSERT_TRUE(DecodeCursorPng(png, size, image));
    EXPECT_EQ(image.width, 32);
    EXPECT_EQ(image.height, 32);
    auto at = [&](int x, int y) { return image.pixels[size_t(y) * 32 + size_t(x)]; };
    EXPECT_EQ(at(0, 0), 0xFFFF00FFu) << "transparent by its colour key";
    EXPECT_EQ(at(kSystemCursorHotX, kSystemCursorHotY), 0xFF000000u) << "the tip is the hot spot";
    EXPECT_EQ(at(3, 5), 0xFFFFFFFFu) << "white inside";
    EXPECT_EQ(at(kSystemCursorHotX - 1, kSystemCursorHotY), 0xFFFF00FFu);
    EXPECT_EQ(at(kSystemCursorHotX, kSystemCursorHotY - 1), 0xFFFF00FFu);

    // Damaged or oversized data is refused.
    std::vector<uint8_t> bytes(png, png + size);
    EXPECT_FALSE(DecodeCursorPng(bytes.data(), bytes.size() / 2, image));
    EXPECT_FALSE(DecodeCursorPng(bytes.data(), 7, image));
    EXPECT_FALSE(DecodeCursorPng(nullptr, 0, image));
    std::vector<uint8_t> wide = bytes;
    // IHDR width = 300, with its CRC made right.
    wide[16] = 0;
    wide[17] = 0;
    wide[18] = 0x01;
    wide[19] = 0x2C;
    uint32_t crc = uint32_t(crc32(0, wide.data() + 12, 17));
    wide[29] = uint8_t(crc >> 24);
    wide[30] = uint8_t(crc >> 16);
    wide[31] = uint8_t(crc >> 8);
    wide[32] = uint8_t(crc);
    EXPECT_FALSE(DecodeCursorPng(wide.data(), wide.size(), image));
    EXPECT_TRUE(image.pixels.empty());
    std::vector<uint8_t> flipped = bytes;
    flipped[size / 2] ^= 0x55;
    EXPECT_FALSE(DecodeCursorPng(flipped.data(), flipped.size(), image));
}

TEST(CursorGenerator, TheHeldArrowIsWhatTheGeneratorMakes)
{
    if (std::system("python3 --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3 is not installed";
    TTempFolder temp("cursorgen");
    const std::string& folder = temp.Path();
    ASSERT_FALSE(folder.empty());
    std::string command = "python3 " QUILLORY_SOURCE_DIR "/tools/make-cursor.py " + folder +
                          "/SystemCursorPng.h --png " + folder + "/cursor.png";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream made(folder + "/cursor.png", std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(made)), std::istreambuf_iterator<char>());
    size_t size = 0;
    const uint8_t* held = SystemCursorPng(&size);
    EXPECT_EQ(bytes, std::vector<uint8_t>(held, held + size)) << "run tools/make-cursor.py again";
}

} // namespace
