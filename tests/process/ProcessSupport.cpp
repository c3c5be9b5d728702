#include "ProcessSupport.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <thread>

extern char** environ;

TempFolder::TempFolder()
{
    char pattern[] = "/tmp/quillory-process-XXXXXX";
    if (char* made = mkdtemp(pattern))
        mPath = made;
}

TempFolder::~TempFolder()
{
    if (!mPath.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
}

pid_t StartChild(const ChildOptions& options)
{
    std::string program = options.program.empty() ? QUILLORY_BINARY : options.program;
    std::vector<std::string> args;
    args.push_back(program);
    args.insert(args.end(), options.arguments.begin(), options.arguments.end());

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& extra : options.environment)
            replaced |= extra.substr(0, extra.find('=')) == name;
        if (!replaced)
            env.push_back(entry);
    }
    env.insert(env.end(), options.environment.begin(), options.environment.end());

    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!options.stderrPath.empty())
        posix_spawn_file_actions_addopen(&actions, 2, options.stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

// The game shuts its GL driver down before it ends; the driver's frames have
// no names after that, so the leak checker can tell the driver's own
// allocations from the game's only through the GL vendor library further
// down the stack, which takes the slow unwinder. The slow unwinder deadlocks
// in the software driver's shader compiler (it allocates while it holds the
// unwinder's lock), so the game runs with fast unwinding and without the
// leak check; the framework's start-up and shut-down are leak-checked in
// this process instead.
std::vector<std::string> ChildSanitizerEnvironment()
{
    std::string asan = "detect_leaks=0:fast_unwind_on_malloc=1";
    if (const char* inherited = getenv("ASAN_OPTIONS"); inherited && *inherited)
        asan = std::string(inherited) + ":" + asan;
    return {"ASAN_OPTIONS=" + asan, "LSAN_OPTIONS="};
}

std::optional<int> WaitChild(pid_t pid, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0)
            return -1;
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool IsRunning(pid_t pid)
{
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

void KillChild(pid_t pid)
{
    if (pid <= 0 || !IsRunning(pid))
        return;
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

namespace {

// Windows of other processes come and go while we look at them; a request
// about a window that has just gone is not an error here.
int IgnoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

XClient::XClient()
{
    XSetErrorHandler(&IgnoreXErrors);
    mDisplay = XOpenDisplay(nullptr);
}

XClient::~XClient()
{
    if (mDisplay)
        XCloseDisplay(mDisplay);
}

Window XClient::Search(Window parent, unsigned long pid, int depth)
{
    Window root = 0, parentOut = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(mDisplay, parent, &root, &parentOut, &children, &count))
        return 0;
    Atom pidAtom = XInternAtom(mDisplay, "_NET_WM_PID", False);
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(mDisplay, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                               &items, &after, &data) == Success &&
            data) {
            unsigned long value = items == 1 && format == 32 ? *reinterpret_cast<unsigned long*>(data) : 0;
            XFree(data);
            XWindowAttributes attributes{};
            if (value == pid && XGetWindowAttributes(mDisplay, children[i], &attributes) &&
                attributes.map_state == IsViewable)
                found = children[i];
        }
        if (!found && depth < 2)
            found = Search(children[i], pid, depth + 1);
    }
    if (children)
        XFree(children);
    return found;
}

Window XClient::FindWindowOfProcess(pid_t pid)
{
    if (!mDisplay)
        return 0;
    XSync(mDisplay, False);
    return Search(DefaultRootWindow(mDisplay), static_cast<unsigned long>(pid), 0);
}

Window XClient::WaitForWindowOfProcess(pid_t pid, std::chrono::milliseconds timeout)
{
    Window window = 0;
    WaitUntil([&] { return (window = FindWindowOfProcess(pid)) != 0 || !IsRunning(pid); }, timeout);
    return window;
}

bool XClient::SendDeleteWindow(Window window)
{
    if (!mDisplay || !window)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(mDisplay, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(mDisplay, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(mDisplay, window, False, NoEventMask, &event);
    XFlush(mDisplay);
    return sent != 0;
}

Window XClient::MakeFocusedWindow()
{
    if (!mDisplay)
        return 0;
    Window root = DefaultRootWindow(mDisplay);
    Window window = XCreateSimpleWindow(mDisplay, root, 900, 700, 64, 64, 0, 0, 0);
    XMapRaised(mDisplay, window);
    XSync(mDisplay, False);
    WaitUntil(
        [&] {
            XWindowAttributes attributes{};
            XGetWindowAttributes(mDisplay, window, &attributes);
            return attributes.map_state == IsViewable;
        },
        std::chrono::seconds(2));
    XSetInputFocus(mDisplay, window, RevertToParent, CurrentTime);
    XSync(mDisplay, False);
    return window;
}

Window XClient::GetFocus()
{
    if (!mDisplay)
        return 0;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(mDisplay, &focus, &revert);
    return focus;
}

std::string XClient::GetTitle(Window window)
{
    if (!mDisplay || !window)
        return std::string();
    Atom utf8 = XInternAtom(mDisplay, "UTF8_STRING", False);
    Atom netName = XInternAtom(mDisplay, "_NET_WM_NAME", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(mDisplay, window, netName, 0, 1024, False, utf8, &type, &format, &items, &after,
                           &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), items);
        XFree(data);
    }
    return title;
}
