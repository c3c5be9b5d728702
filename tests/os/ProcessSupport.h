#pragma once
// Runs the helper program with any argument list (the layer under test
// itself only ever passes one argument).

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

struct HelperProcess {
    pid_t pid = -1;
    int out = -1;  // read end of its stdout, when asked for
};

inline HelperProcess StartHelper(const std::vector<std::string>& args, bool captureStdout = false)
{
    std::vector<char*> argv;
    static std::string helper = QUILLORY_OS_HELPER;
    argv.push_back(helper.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    HelperProcess p;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    int fds[2] = {-1, -1};
    if (captureStdout && pipe2(fds, O_CLOEXEC) == 0)
        posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
    if (posix_spawn(&p.pid, helper.c_str(), &fa, nullptr, argv.data(), environ) != 0)
        p.pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    if (fds[1] >= 0)
        close(fds[1]);
    p.out = fds[0];
    return p;
}

inline int WaitHelper(HelperProcess& p)
{
    int status = 0;
    while (waitpid(p.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (p.out >= 0)
        close(p.out);
    p.out = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int RunHelper(const std::vector<std::string>& args)
{
    HelperProcess p = StartHelper(args);
    if (p.pid < 0)
        return -2;
    return WaitHelper(p);
}

inline std::string ReadLine(int fd)
{
    std::string line;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n')
        line.push_back(c);
    return line;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Waits up to timeoutMs for pred() to hold.
template <class Pred>
bool WaitFor(Pred pred, int timeoutMs = 5000)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

struct TempFolder {
    std::string path;
    TempFolder()
    {
        char tmpl[] = "/tmp/quillory-os-XXXXXX";
        if (mkdtemp(tmpl))
            path = tmpl;
    }
    ~TempFolder()
    {
        std::error_code ec;
        if (!path.empty())
            std::filesystem::remove_all(path, ec);
    }
};
