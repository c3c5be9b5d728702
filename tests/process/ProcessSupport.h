#pragma once
// Starting the game binary as a child process and finding, closing and
// focusing its window on the X server named by $DISPLAY.
#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A temporary folder, removed with its contents at destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return mPath; }

private:
    std::string mPath;
};

struct ChildOptions {
    std::vector<std::string> arguments;           // after the program name
    std::vector<std::string> environment;         // "NAME=value", added or replacing
    std::string program;                          // empty: the game binary
    std::string stderrPath;                       // empty: inherited; else written there
};

// Starts the program; -1 when it could not be started.
pid_t StartChild(const ChildOptions& options);
// Environment entries that give a child running the game fast unwinding and
// no leak check in sanitizer builds (see the definition for why).
std::vector<std::string> ChildSanitizerEnvironment();
// Waits for the child to end; its exit status (0..255), -1 when it ended by
// a signal, or nothing when the time ran out.
std::optional<int> WaitChild(pid_t pid, std::chrono::milliseconds timeout);
bool IsRunning(pid_t pid);
// Kills and reaps a child that is still running.
void KillChild(pid_t pid);

class XClient {
public:
    XClient();
    ~XClient();
    bool IsOpen() const { return mDisplay != nullptr; }
    Display* GetDisplay() const { return mDisplay; }

    // A viewable top-level window whose _NET_WM_PID is pid; 0 when none.
    Window FindWindowOfProcess(pid_t pid);
    Window WaitForWindowOfProcess(pid_t pid, std::chrono::milliseconds timeout);
    // Asks the window to close as a window manager does (WM_DELETE_WINDOW).
    bool SendDeleteWindow(Window window);
    // A small window of our own that takes the input focus.
    Window MakeFocusedWindow();
    Window GetFocus();
    std::string GetTitle(Window window);

private:
    Window Search(Window parent, unsigned long pid, int depth);

    Display* mDisplay = nullptr;
};

// Waits until the predicate holds or the time runs out.
template <class F>
bool WaitUntil(F predicate, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        struct timespec ts{0, 10 * 1000 * 1000};
        nanosleep(&ts, nullptr);
    }
    return true;
}
