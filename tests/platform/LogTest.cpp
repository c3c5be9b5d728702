#include "platform/Log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kMarker =
    "\n\n\n\n ****************** LOG WRAP AROUND ******************\n\n\n\n";
// ctime form without the newline, then ": ".
const std::regex kStamp(R"([A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}: )");

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Checks "<stamp>: <message>\n" at offset and returns the offset after it.
size_t ExpectLine(const std::string& file, size_t offset, const std::string& message)
{
    size_t end = file.find('\n', offset);
    EXPECT_NE(end, std::string::npos);
    if (end == std::string::npos)
        return file.size();
    std::string line = file.substr(offset, end - offset);
    std::smatch match;
    EXPECT_TRUE(std::regex_search(line, match, kStamp, std::regex_constants::match_continuous))
        << line.substr(0, 80);
    EXPECT_EQ(line.substr(match.length()), message);
    return end + 1;
}

class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mTemp.Path().empty());
        const char* tmp = getenv("TMPDIR");
        mHadTmp = tmp != nullptr;
        if (tmp)
            mOldTmp = tmp;
        setenv("TMPDIR", mRoot.c_str(), 1);
    }
    void TearDown() override
    {
        SetLogFolder(nullptr);
        if (mHadTmp)
            setenv("TMPDIR", mOldTmp.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

    TTempFolder mTemp{"logtest"};
    fs::path mRoot = mTemp.Path();
    bool mHadTmp = false;
    std::string mOldTmp;
};

} // namespace

TEST_F(LogTest, FolderIsCreatedAndOldLogDeleted)
{
    fs::path folder = mRoot / "a" / "b";
    fs::create_directories(folder);
    std::ofstream(folder / "logfile.txt") << "stale text from an earlier run\n";

    SetLogFolder((mRoot / "a" / "b").c_str());
    EXPECT_FALSE(fs::exists(folder / "logfile.txt"));
    EXPECT_STREQ(GetLogPath().c_str(), (folder / "logfile.txt").c_str());
    EXPECT_EQ(GetLogWritePosition(), 0u);

    fs::path fresh = mRoot / "x" / "y" / "z";
    SetLogFolder(fresh.c_str());
    EXPECT_TRUE(fs::is_directory(fresh));
    WriteLog("value %d of %s", 42, "test");
    std::string file = ReadAll(fresh / "logfile.txt");
    EXPECT_EQ(ExpectLine(file, 0, "value 42 of test"), file.size());
    EXPECT_EQ(GetLogWritePosition(), file.size());
}

TEST_F(LogTest, NullFolderSwitchesLoggingOff)
{
    SetLogFolder(mRoot.c_str());
    SetLogFolder(nullptr);
    EXPECT_TRUE(GetLogPath().IsEmpty());
    WriteLog("dropped");
    EXPECT_FALSE(fs::exists(mRoot / "logfile.txt"));
    EXPECT_FALSE(fs::exists(mRoot / "kavrel.log"));
}

TEST_F(LogTest, LinesFollowEachOther)
{
    SetLogFolder(mRoot.c_str());
    WriteLog("one");
    WriteLog("two %s", "");
    WriteLog("%s", "three");
    std::string file = ReadAll(mRoot / "logfile.txt");
    size_t at = ExpectLine(file, 0, "one");
    at = ExpectLine(file, at, "two ");
    at = ExpectLine(file, at, "three");
    EXPECT_EQ(at, file.size());
}

TEST_F(LogTest, WrapsAroundTo51200AfterTheMarker)
{
    SetLogFolder(mRoot.c_str());
    WriteLog("first line");

    // At exactly 102,400 the line is still written in place.
    SetLogWritePosition(102400);
    WriteLog("at the limit");
    std::string file = ReadAll(mRoot / "logfile.txt");
    size_t end = ExpectLine(file, 102400, "at the limit");
    EXPECT_EQ(GetLogWritePosition(), end);
    EXPECT_EQ(file.find(kMarker), std::string::npos);

    SetLogWritePosition(102401);
    WriteLog("after the wrap");
    file = ReadAll(mRoot / "logfile.txt");
    ASSERT_GE(file.size(), 51200 + kMarker.size());
    EXPECT_EQ(file.substr(51200, kMarker.size()), kMarker);
    end = ExpectLine(file, 51200 + kMarker.size(), "after the wrap");
    EXPECT_EQ(GetLogWritePosition(), end);
    // The oldest lines stay at the start.
    ExpectLine(file, 0, "first line");

    // The next line follows on without another marker.
    WriteLog("next");
    file = ReadAll(mRoot / "logfile.txt");
    ExpectLine(file, end, "next");
    EXPECT_EQ(file.find(kMarker, 51201), std::string::npos);
}

TEST_F(LogTest, FillingTheFileWrapsOnItsOwn)
{
    SetLogFolder(mRoot.c_str());
    std::string chunk(1000, 'c');
    int wrapped = -1;
    for (int i = 0; i < 120; ++i) {
        bool past = GetLogWritePosition() > 102400;
        WriteLog("%03d %s", i, chunk.c_str());
        if (past && wrapped < 0)
            wrapped = i;
    }
    ASSERT_GT(wrapped, 90);
    std::string file = ReadAll(mRoot / "logfile.txt");
    EXPECT_LT(file.size(), 102400u + 1100u);
    EXPECT_EQ(file.substr(51200, kMarker.size()), kMarker);
    char expected[8];
    snprintf(expected, sizeof expected, "%03d ", wrapped);
    ExpectLine(file, 51200 + kMarker.size(), expected + chunk);
}

TEST_F(LogTest, LongOutputIsCutAt29999Characters)
{
    SetLogFolder(mRoot.c_str());
    std::string longFormat(40000, 'f');
    std::string longArg(40000, 'a');
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
    WriteLog(longFormat.c_str());
#pragma GCC diagnostic pop
    WriteLog("%s", longArg.c_str());
    // A conversion that straddles the cut is formatted, then the output is cut.
    std::string prefix(29997, 'p');
    WriteLog("%s%d", prefix.c_str(), 12345);

    std::string file = ReadAll(mRoot / "logfile.txt");
    size_t at = ExpectLine(file, 0, std::string(29999, 'f'));
    at = ExpectLine(file, at, std::string(29999, 'a'));
    at = ExpectLine(file, at, prefix + "12");
    EXPECT_EQ(at, file.size());
}

TEST_F(LogTest, FallsBackToTmpWhenTheLogCannotBeOpened)
{
    // A folder under a regular file can be neither created nor written.
    std::ofstream(mRoot / "blocker") << "x";
    SetLogFolder((mRoot / "blocker" / "sub").c_str());
    WriteLog("to the fallback");
    std::string file = ReadAll(mRoot / "kavrel.log");
    EXPECT_EQ(ExpectLine(file, 0, "to the fallback"), file.size());
}

TEST_F(LogTest, ConcurrentLinesStayWhole)
{
    SetLogFolder(mRoot.c_str());
    constexpr int kThreads = 8;
    constexpr int kLines = 100;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            std::string body(40, char('a' + t));
            for (int i = 0; i < kLines; ++i)
                WriteLog("thread %d line %03d %s", t, i, body.c_str());
        });
    for (std::thread& thread : threads)
        thread.join();

    std::string file = ReadAll(mRoot / "logfile.txt");
    ASSERT_LT(file.size(), 102400u); // no wrap in this test
    std::regex line(R"(thread ([0-9]) line ([0-9]{3}) ([a-z]{40}))");
    std::set<std::pair<int, int>> seen;
    size_t at = 0;
    while (at < file.size()) {
        size_t end = file.find('\n', at);
        ASSERT_NE(end, std::string::npos);
        std::string text = file.substr(at, end - at);
        std::smatch stamp;
        ASSERT_TRUE(std::regex_search(text, stamp, kStamp, std::regex_constants::match_continuous))
            << text;
        std::string message = text.substr(stamp.length());
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(message, parts, line)) << message;
        int t = std::stoi(parts[1]);
        EXPECT_EQ(parts[3].str(), std::string(40, char('a' + t)));
        EXPECT_TRUE(seen.insert({t, std::stoi(parts[2])}).second) << message;
        at = end + 1;
    }
    EXPECT_EQ(seen.size(), size_t(kThreads * kLines));
    EXPECT_EQ(GetLogWritePosition(), file.size());
}
