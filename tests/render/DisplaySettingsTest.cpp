#include "DisplayFixture.h"

#include <sys/stat.h>

#include <filesystem>

#include "render/DisplaySettings.h"

namespace {

class DisplaySettingsTest : public DisplayFixture {
protected:
    std::string SettingsPath() const { return folder + "/common/display.xml"; }

    void WriteSettings(const std::string& text) const
    {
        std::ofstream out(SettingsPath(), std::ios::binary);
        out << text;
    }

    std::string ReadSettings() const
    {
        std::ifstream in(SettingsPath(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    bool SettingsExist() const
    {
        struct stat st;
        return stat(SettingsPath().c_str(), &st) == 0;
    }
};

TEST_F(DisplaySettingsTest, TheRememberedModeIsReadAtStart)
{
    struct Case {
        const char* name;
        const char* text; // null: no file
        bool low;
    } cases[] = {
        {"no file", nullptr, false},
        {"switched on", "<Settings LowMemoryVideo=\"1\"/>", true},
        {"any non-zero number", "<Settings LowMemoryVideo=\"7\"></Settings>", true},
        {"switched off", "<Settings LowMemoryVideo=\"0\"/>", false},
        {"no Settings element", "<Other LowMemoryVideo=\"1\"/>", false},
        {"no attribute", "<Settings/>", false},
        {"not a number", "<Settings LowMemoryVideo=\"yes\"/>", false},
        {"cut short", "<Settings LowMem", false},
        {"binary junk", "\x01\xff<\x00>>", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(SettingsPath().c_str());
        if (c.text)
            WriteSettings(c.text);
        delete platform;
        int before = LogCount("Low memory video card setting enabled!");
        MakePlatform();
        EXPECT_EQ(platform->IsLowMemoryVideo(), c.low);
        EXPECT_EQ(LogCount("Low memory video card setting enabled!"), before + (c.low ? 1 : 0));
    }

    // A remembered low-memory mode makes every window full screen at 16 bits.
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_FALSE(platform->IsFullScreen()) << "the last case was off";
    WriteSettings("<Settings LowMemoryVideo=\"1\"/>");
    delete platform;
    MakePlatform();
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(ModeIs(800, 600, true));
    EXPECT_EQ(Context().GetDisplayMode().depth, 16);
    EXPECT_EQ(LogCount("SetDisplay Forcing Fullscreen (MEMORY)"), 1);
    EXPECT_TRUE(boxes.empty());

    // With the host bridge the file is not read.
    SetCommandLineText("game -pq=5");
    delete platform;
    MakePlatform();
    EXPECT_FALSE(platform->IsLowMemoryVideo());
}

TEST_F(DisplaySettingsTest, RunningOutOfVideoMemoryIsRememberedOnce)
{
    platform->SetDisplay(800, 600, false, false, false, false);
    ASSERT_FALSE(SettingsExist());
    now = 2222;
    platform->OutOfVideoMemory();
    EXPECT_TRUE(platform->IsLowMemoryVideo());
    EXPECT_TRUE(platform->IsBroken());
    EXPECT_EQ(platform->GetBrokenTime(), 2222u);
    EXPECT_EQ(LogCount("OutOfVideoMemory triggered!"), 1);
    ASSERT_TRUE(SettingsExist());
    EXPECT_NE(ReadSettings().find("<Settings"), std::string::npos) << ReadSettings();
    EXPECT_NE(ReadSettings().find("LowMemoryVideo=\"1\""), std::string::npos) << ReadSettings();
    EXPECT_TRUE(ReadLowMemoryVideoSetting());
    struct stat st;
    EXPECT_NE(stat((SettingsPath() + ".tmp").c_str(), &st), 0) << "no temporary file left";

    // The second report changes nothing and writes nothing.
    std::remove(SettingsPath().c_str());
    platform->OutOfVideoMemory();
    EXPECT_FALSE(SettingsExist());
    EXPECT_EQ(LogCount("OutOfVideoMemory triggered!"), 1);

    // The next restore sets a 16-bit full-screen mode after M5.
    platform->Restore();
    EXPECT_EQ(LogCount("TPlatformData::Restore: mDirectDraw NULL. Calling SetDisplay()"), 1);
    EXPECT_TRUE(ModeIs(800, 600, true));
    EXPECT_EQ(Context().GetDisplayMode().depth, 16);
    EXPECT_TRUE(platform->IsDeviceReady());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Reconfiguring");
    EXPECT_EQ(boxes[0].text.rfind("Your video card doesn't have enough memory in the current mode.", 0), 0u);
    EXPECT_EQ(LogCount("OutOfVideoMemory triggered!"), 1);
}

TEST_F(DisplaySettingsTest, TheFileIsReplacedWholeOrNotAtAll)
{
    WriteSettings("<Settings LowMemoryVideo=\"0\"/>");
    EXPECT_TRUE(WriteLowMemoryVideoSetting());
    EXPECT_TRUE(ReadLowMemoryVideoSetting());

    // The temporary file cannot be made: the old file stays as it was.
    WriteSettings("<Settings LowMemoryVideo=\"0\"/>");
    ASSERT_EQ(mkdir((SettingsPath() + ".tmp").c_str(), 0700), 0);
    EXPECT_FALSE(WriteLowMemoryVideoSetting());
    EXPECT_EQ(ReadSettings(), "<Settings LowMemoryVideo=\"0\"/>");
    rmdir((SettingsPath() + ".tmp").c_str());

    // A missing common folder is made.
    std::filesystem::remove_all(folder + "/common");
    EXPECT_TRUE(WriteLowMemoryVideoSetting());
    EXPECT_TRUE(ReadLowMemoryVideoSetting());
}

} // namespace
