#pragma once

// Shared by the XML, string table and settings tests: a temporary folder
// that also receives the log, and access to what was logged.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/Log.h"

class TempLogFolder {
public:
    TempLogFolder()
    {
        char pattern[] = "/tmp/quillory-xml-XXXXXX";
        const char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        mPath = made ? made : "/tmp";
        SetLogFolder(mPath.c_str());
    }
    ~TempLogFolder()
    {
        SetLogFolder(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    TempLogFolder(const TempLogFolder&) = delete;
    TempLogFolder& operator=(const TempLogFolder&) = delete;

    const std::string& Path() const { return mPath; }

    std::string LogText() const
    {
        std::ifstream in(mPath + "/logfile.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    int LogLines() const
    {
        std::string text = LogText();
        int lines = 0;
        for (char c : text)
            lines += c == '\n';
        return lines;
    }

    bool Logged(const std::string& piece) const { return LogText().find(piece) != std::string::npos; }

    void WriteFile(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(mPath + "/" + name, std::ios::binary);
        out << bytes;
    }

private:
    std::string mPath;
};

inline std::string ReadFixture(const std::string& relative)
{
    std::ifstream in(std::string(QUILLORY_TEST_DATA) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The asset name of a fixture file, opened by path.
inline std::string FixtureAsset(const std::string& relative)
{
    return "::" + std::string(QUILLORY_TEST_DATA) + "/" + relative;
}
