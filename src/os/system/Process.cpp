#include "os/system/Process.h"

#include <dlfcn.h>
#include <signal.h>
#include <spawn.h>
#include <sys/random.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace {

void* gHookLibrary = nullptr;

pid_t Spawn(const char* program, const char* argument)
{
    if (!program || !*program)
        return -1;
    char* argv[] = {const_cast<char*>(program), const_cast<char*>(argument ? argument : ""), nullptr};
    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0)
        return -1;
    // The child starts with default signal handling and nothing blocked,
    // whatever SDL or the sound thread changed here.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, program, nullptr, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    return rc == 0 ? pid : -1;
}

int WaitFor(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::string OsExecutablePath()
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return std::string();
    return std::string(buffer, size_t(n));
}

int32_t OsStartProgram(const char* program, const char* argument)
{
    pid_t pid = Spawn(program, argument);
    if (pid <= 0)
        return -1;
    std::thread([pid] { WaitFor(pid); }).detach();
    return int32_t(pid);
}

int32_t OsRunProgram(const char* program, const char* argument)
{
    pid_t pid = Spawn(program, argument);
    if (pid <= 0)
        return -1;
    return WaitFor(pid);
}

bool OsOpenUrl(const char* url, const char* program)
{
    if (!url || !*url || url[0] == '-')
        return false;
    const char* opener = program;
    if (!opener || !*opener) {
        const char* env = getenv("QUILLORY_URL_OPENER");
        opener = (env && *env) ? env : "xdg-open";
    }
    return OsStartProgram(opener, url) > 0;
}

OsTestHookFn OsLoadTestHook(const std::string& path)
{
    OsUnloadTestHook();
    // Only a path: never a search through the library path.
    if (path.find('/') == std::string::npos)
        return nullptr;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    void* symbol = dlsym(library, "TestHook");
    if (!symbol) {
        dlclose(library);
        return nullptr;
    }
    gHookLibrary = library;
    return reinterpret_cast<OsTestHookFn>(symbol);
}

void OsUnloadTestHook()
{
    if (gHookLibrary) {
        dlclose(gHookLibrary);
        gHookLibrary = nullptr;
    }
}

bool OsNewGuid(OsGuid* guid)
{
    if (!guid)
        return false;
    size_t got = 0;
    while (got < sizeof guid->bytes) {
        ssize_t n = getrandom(guid->bytes + got, sizeof guid->bytes - got, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        got += size_t(n);
    }
    guid->bytes[6] = uint8_t((guid->bytes[6] & 0x0F) | 0x40);
    guid->bytes[8] = uint8_t((guid->bytes[8] & 0x3F) | 0x80);
    return true;
}

std::string OsGuidToString(const OsGuid& guid)
{
    char out[40];
    const uint8_t* b = guid.bytes;
    std::snprintf(out, sizeof out, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
                  b[15]);
    return out;
}
