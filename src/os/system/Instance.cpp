#include "os/system/Instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Longer names keep their tail and get a hash of the whole name, so that
// lock and socket paths stay short (a socket path holds 107 bytes).
constexpr size_t kMaxNameLength = 64;

int gLockFd = -1;
int gListenFd = -1;
std::string gSocketPath;

std::string RuntimeFolder(bool* shared)
{
    const char* dir = getenv("XDG_RUNTIME_DIR");
    struct stat st{};
    if (dir && dir[0] == '/' && stat(dir, &st) == 0 && S_ISDIR(st.st_mode)) {
        *shared = false;
        return dir;
    }
    *shared = true;
    return "/tmp";
}

std::string BasePath(const std::string& name)
{
    bool shared = false;
    std::string base = RuntimeFolder(&shared) + "/" + name;
    if (shared)
        base += "-" + std::to_string(unsigned(getuid()));
    return base + "_MUTEX";
}

void Ping(const std::string& socketPath)
{
    sockaddr_un addr{};
    if (socketPath.size() >= sizeof addr.sun_path)
        return;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        char c = 'p';
        ssize_t ignored = send(fd, &c, 1, MSG_NOSIGNAL);
        (void)ignored;
    }
    close(fd);
}

void Listen(const std::string& socketPath)
{
    sockaddr_un addr{};
    if (socketPath.size() >= sizeof addr.sun_path)
        return;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    // We hold the lock, so a socket file left here belongs to a dead copy.
    unlink(socketPath.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return;
    }
    gListenFd = fd;
    gSocketPath = socketPath;
}

} // namespace

std::string OsInstanceName(const std::string& executablePath)
{
    std::string name;
    for (char c : executablePath) {
        if (c == '/' || c == ':')
            continue;
        name.push_back((c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c);
    }
    if (name.size() <= kMaxNameLength)
        return name;
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : name) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return name.substr(name.size() - (kMaxNameLength - 17)) + "-" + hex;
}

std::string OsInstanceLockPath(const std::string& name)
{
    return BasePath(name) + ".lock";
}

OsInstanceClaim OsClaimInstance(const std::string& name)
{
    if (gLockFd >= 0)
        return OsInstanceClaim::First;
    std::string base = BasePath(name);
    std::string lockPath = base + ".lock";
    int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return OsInstanceClaim::Failed;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        gLockFd = fd;
        Listen(base + ".sock");
        return OsInstanceClaim::First;
    }
    int err = errno;
    close(fd);
    if (err != EWOULDBLOCK)
        return OsInstanceClaim::Failed;
    Ping(base + ".sock");
    return OsInstanceClaim::AlreadyRunning;
}

void OsReleaseInstance()
{
    if (gListenFd >= 0) {
        close(gListenFd);
        gListenFd = -1;
        unlink(gSocketPath.c_str());
        gSocketPath.clear();
    }
    if (gLockFd >= 0) {
        // The lock file stays: removing it would let a third copy lock a new
        // file while a second one still holds the old one.
        close(gLockFd);
        gLockFd = -1;
    }
}

int OsTakeInstancePings()
{
    if (gListenFd < 0)
        return 0;
    int count = 0;
    for (;;) {
        int fd = accept4(gListenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        close(fd);
        ++count;
    }
    return count;
}
