// The quillory-lua runner, run as a program: output, arguments, exit status.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

// The runner sits in the build folder, one level above the test program.
std::string RunnerPath()
{
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return {};
    std::string path(self, static_cast<size_t>(n));
    path.erase(path.rfind('/'));
    path.erase(path.rfind('/') + 1);
    return path + "quillory-lua";
}

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

class Runner : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quillory-runner-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        mFolder = pattern;
        mRunner = RunnerPath();
        ASSERT_EQ(access(mRunner.c_str(), X_OK), 0) << "runner not built: " << mRunner;
    }

    void TearDown() override
    {
        if (!mFolder.empty())
            std::system(("rm -rf '" + mFolder + "'").c_str());
    }

    std::string Write(const std::string& name, const std::string& text)
    {
        std::string path = mFolder + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    RunResult Run(const std::string& arguments)
    {
        RunResult result;
        std::string errPath = mFolder + "/stderr.txt";
        std::string command = "'" + mRunner + "' " + arguments + " 2>'" + errPath + "'";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return result;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            result.out.append(buffer, n);
        int status = pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream err(errPath, std::ios::binary);
        result.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
        return result;
    }

    std::string mFolder;
    std::string mRunner;
};

}

TEST_F(Runner, RunsAScriptWithTheChangedLanguage)
{
    std::string script = Write("ok.lua",
                               "#!/usr/bin/env quillory-lua\n"
                               "local t = { &2 &4; }\n"
                               "for i = 1, 4 do if i == 2 then continue end t[#t + 1] = i ^ 1 end\n"
                               "print(table.concat(t, ','), 0xFF & 0x0F, ('x'):rep(2), L\"w\\233\", ...)\n"
                               "print(arg[0] ~= nil, arg[1], #arg)\n");
    RunResult r = Run("'" + script + "' one two");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0,2,5\t15\txx\tw\xc3\xa9\tone\ttwo\ntrue\tone\t2\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Runner, AnErrorExitsNonZeroWithTheMessage)
{
    std::string script = Write("fail.lua", "print('before')\nlocal x = nil\nprint(x.field)\n");
    RunResult r = Run("'" + script + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "before\n");
    EXPECT_NE(r.err.find("fail.lua:3: attempt to index local `x' (a nil value)"), std::string::npos) << r.err;

    std::string syntax = Write("syntax.lua", "while true do\n break 0\nend\n");
    r = Run("'" + syntax + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("syntax.lua:2: loop block number out of range near `0'"), std::string::npos) << r.err;

    r = Run("'" + mFolder + "/missing.lua'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open"), std::string::npos) << r.err;

    r = Run("");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("usage"), std::string::npos) << r.err;
}
