#pragma once
#include <string>

// Single instance per executable path: an flock on
// "<dir>/<name>_MUTEX.lock" (dir: $XDG_RUNTIME_DIR, else /tmp, where the
// user id is added to the name). The kernel drops the lock when the process
// ends, however it ends. The first copy also listens on a Unix socket beside
// the lock; a second copy connects and pings it, and the first copy's message
// pump then shows and raises its window.

// The instance name for an executable path: lower-cased, every '/' and ':'
// removed; a long name keeps its tail and gets a hash of the whole.
std::string OsInstanceName(const std::string& executablePath);

// Where the lock file for a name lives.
std::string OsInstanceLockPath(const std::string& name);

enum class OsInstanceClaim {
    First,           // this process holds the lock now (until exit or OsReleaseInstance)
    AlreadyRunning,  // another live process holds it; it was pinged when it listens
    Failed,          // the lock file could not be opened or locked
};
OsInstanceClaim OsClaimInstance(const std::string& name);
void OsReleaseInstance();

// Non-blocking: how many pings arrived since the last call. OsPeekMessage
// calls it and raises the first live window on a ping.
int OsTakeInstancePings();
