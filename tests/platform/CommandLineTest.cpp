#include <gtest/gtest.h>

#include "platform/CommandLine.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs Options(const char* line)
{
    Pairs out;
    for (const auto& [key, value] : ParseOptions(line))
        out.emplace_back(key.c_str(), value.c_str());
    return out;
}

TEST(CommandLine, OptionsTable)
{
    struct Case {
        const char* line;
        Pairs expected;
    };
    const Case cases[] = {
        {"options=a=1&b=2 --multiple", {{"a", "1"}, {"b", "2"}}},
        {"-wd=x options=a=1&b=2", {{"a", "1"}, {"b", "2"}}},
        {"options= a=1", {}},
        {"options=", {}},
        {"options=novalue", {}},
        {"no options here", {}},
        // A value runs to the first "&" even past a blank.
        {"options=a=1 b&c=2", {{"a", "1 b"}, {"c", "2"}}},
        // Without "&" the value ends at the blank; the next word is read as a
        // key only when it holds "=".
        {"options=a=1 --multiple", {{"a", "1"}}},
        {"options=a=1 x=2", {{"a", "1"}, {"x", "2"}}},
        {"options=a=1  x=2", {{"a", "1"}}},
        {"options=version=9.9.9.9", {{"version", "9.9.9.9"}}},
        {"options=a=&b=", {{"a", ""}, {"b", ""}}},
        {"options=a=1&&b=2", {{"a", "1"}, {"&b", "2"}}},
        {"options=a=x=y", {{"a", "x=y"}}},
        {"options=a=1&", {{"a", "1"}}},
        // Only the first "options=" counts.
        {"options=a=1 options=b=2", {{"a", "1"}, {"options", "b=2"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Options(c.line), c.expected) << c.line;
    EXPECT_TRUE(ParseOptions(nullptr).empty());
}

TEST(CommandLine, WindowSwitchIsHexadecimal)
{
    struct Case {
        const char* line;
        bool present;
        uint32_t handle;
    };
    const Case cases[] = {
        {"-wnd=1A2B", true, 0x1A2B},
        {"-wnd=1a2b --multiple", true, 6699},
        {"x -wnd=0x10", true, 0x10},
        {"-wnd=0", true, 0},
        {"-wnd=", true, 0},
        {"-wnd=zz", true, 0},
        {"-wnd=ffffffff", true, 0xFFFFFFFFu},
        {"-wnd= 12", true, 0x12},
        {"--multiple", false, 0},
    };
    for (const Case& c : cases) {
        uint32_t handle = 12345;
        EXPECT_EQ(ParseWindowSwitch(c.line, handle), c.present) << c.line;
        if (c.present)
            EXPECT_EQ(handle, c.handle) << c.line;
        else
            EXPECT_EQ(handle, 12345u) << c.line;
    }
}

TEST(CommandLine, WorkingFolder)
{
    struct Case {
        const char* line;
        bool present;
        const char* folder;
    };
    const Case cases[] = {
        {"-wd=\"/tmp/my folder\" --multiple", true, "/tmp/my folder"},
        {"-wd=/tmp/plain rest", true, "/tmp/plain"},
        {"a -wd=/tmp/end", true, "/tmp/end"},
        {"-wd=\"/tmp/unclosed quote", true, "/tmp/unclosed quote"},
        {"-wd= x", false, ""},
        {"-wd=\"\"", false, ""},
        {"--multiple", false, ""},
    };
    for (const Case& c : cases) {
        TString folder;
        EXPECT_EQ(ParseWorkingFolder(c.line, folder), c.present) << c.line;
        if (c.present) {
            EXPECT_STREQ(folder.c_str(), c.folder) << c.line;
        }
    }
}

TEST(CommandLine, HostProgram)
{
    TString program;
    EXPECT_TRUE(ParseHostProgram("-pq=1 -host=firefox -wnd=12", program));
    EXPECT_STREQ(program.c_str(), "firefox");
    EXPECT_TRUE(ParseHostProgram("-host=  /usr/bin/browser", program));
    EXPECT_STREQ(program.c_str(), "/usr/bin/browser");
    EXPECT_FALSE(ParseHostProgram("-host=", program));
    EXPECT_FALSE(ParseHostProgram("-pq=1", program));

    // At most 259 characters are taken.
    std::string line = "-host=" + std::string(300, 'p');
    ASSERT_TRUE(ParseHostProgram(line.c_str(), program));
    EXPECT_EQ(program.Length(), 259u);
}

TEST(CommandLine, SwitchesAreSubstrings)
{
    EXPECT_TRUE(HasSwitch("options=x=--multiple", "--multiple"));
    EXPECT_TRUE(HasSwitch("a -pq=1", "-pq="));
    EXPECT_FALSE(HasSwitch("-pq", "-pq="));
    EXPECT_FALSE(HasSwitch(nullptr, "-pq="));
}

TEST(CommandLine, JoinKeepsFoldersWithBlanksWhole)
{
    const char* argv[] = {"quillory", "-wd=/tmp/my folder", "options=a=1&b=2", "--multiple", nullptr};
    TString line = JoinCommandLine(4, argv);
    EXPECT_STREQ(line.c_str(), "-wd=\"/tmp/my folder\" options=a=1&b=2 --multiple");
    TString folder;
    ASSERT_TRUE(ParseWorkingFolder(line.c_str(), folder));
    EXPECT_STREQ(folder.c_str(), "/tmp/my folder");

    const char* quoted[] = {"quillory", "-wd=\"/x y\"", nullptr};
    EXPECT_STREQ(JoinCommandLine(2, quoted).c_str(), "-wd=\"/x y\"");
    const char* none[] = {"quillory", nullptr};
    EXPECT_STREQ(JoinCommandLine(1, none).c_str(), "");
}

} // namespace
