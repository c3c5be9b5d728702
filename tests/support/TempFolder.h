#pragma once
// A temporary folder for one test, and the debug log pointed into a folder
// and read back.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/Log.h"

// A fresh folder under /tmp, removed with everything in it on destruction.
// A failure to make it fails the test and leaves Path() empty.
class TTempFolder {
public:
    explicit TTempFolder(const std::string& prefix = "quillory")
    {
        std::string pattern = "/tmp/" + prefix + "-XXXXXX";
        if (mkdtemp(pattern.data()))
            mPath = pattern;
        else
            ADD_FAILURE() << "cannot make a temporary folder " << pattern;
    }
    ~TTempFolder()
    {
        if (mPath.empty())
            return;
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::string& Path() const { return mPath; }
    // The path of name inside the folder; empty when there is no folder.
    std::string File(const std::string& name) const { return mPath.empty() ? mPath : mPath + "/" + name; }

private:
    std::string mPath;
};

// Points the log at folder (made when missing, its old logfile.txt deleted;
// an empty folder switches logging off) and reads back what was logged. The
// destructor switches logging off.
class TLogCapture {
public:
    explicit TLogCapture(std::string folder) : mFolder(std::move(folder)) { Restart(); }
    ~TLogCapture() { SetLogFolder(nullptr); }
    TLogCapture(const TLogCapture&) = delete;
    TLogCapture& operator=(const TLogCapture&) = delete;

    // Starts a new, empty log in the same folder.
    void Restart() { SetLogFolder(mFolder.empty() ? nullptr : mFolder.c_str()); }

    std::string Text() const
    {
        std::ifstream in(mFolder + "/logfile.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<std::string> Lines() const
    {
        std::istringstream text(Text());
        std::vector<std::string> lines;
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }
    // The lines that contain piece.
    int Count(const std::string& piece) const
    {
        int count = 0;
        for (const std::string& line : Lines())
            count += line.find(piece) != std::string::npos;
        return count;
    }
    bool Has(const std::string& piece) const { return Text().find(piece) != std::string::npos; }

private:
    std::string mFolder;
};

// A temporary folder that is also the log folder.
class TTempLogFolder : public TTempFolder, public TLogCapture {
public:
    explicit TTempLogFolder(const std::string& prefix = "quillory") : TTempFolder(prefix), TLogCapture(Path()) {}
};
