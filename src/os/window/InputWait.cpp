#include "os/window/InputWait.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "os/system/Time.h"
#include "os/window/WindowState.h"

// Last: it brings in Xlib and its macros.
#include <SDL_syswm.h>

namespace {

// Without an X connection SDL does the waiting; a wake-up is noticed between
// slices of this length.
constexpr int32_t kSdlSliceMs = 10;

// SDL's own timed work (focus changes, the screen saver, signals turned into
// its quit event) needs a pump at least this often.
constexpr uint32_t kPumpGapMs = 10;

uint32_t gLastPump = 0;

// The wake-up descriptor: an event counter that reads as ready until taken.
// -1 when the system refused one; waits then only time out.
int WakeFd()
{
    static const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return fd;
}

// Clears a pending wake-up; true when there was one.
bool TakeWake()
{
    int fd = WakeFd();
    uint64_t count = 0;
    if (fd < 0)
        return false;
    while (read(fd, &count, sizeof count) < 0) {
        if (errno != EINTR)
            return false;
    }
    return count != 0;
}

#if defined(SDL_VIDEO_DRIVER_X11)
// The X display behind the SDL windows; null without one (no SDL window, or
// a video driver other than X11).
Display* XDisplay()
{
    for (auto& [value, data] : OsState().windows) {
        if (!data->sdl)
            continue;
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!SDL_GetWindowWMInfo(data->sdl, &info) || info.subsystem != SDL_SYSWM_X11)
            return nullptr;
        return info.info.x11.display;
    }
    return nullptr;
}

// True when nothing waits to be read: not in Xlib's queue (events read
// along with a reply land there) and not on the connection.
bool XQuiet(Display* display)
{
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    return QLength(display) == 0 && poll(&fd, 1, 0) == 0;
}

// The X connection to sleep on, -1 without X; *held tells whether Xlib
// holds events already (the connection would not show them).
int XConnection(bool* held)
{
    Display* display = XDisplay();
    *held = display && QLength(display) > 0;
    return display ? ConnectionNumber(display) : -1;
}
#else
int XConnection(bool* held)
{
    *held = false;
    return -1;
}
#endif

void WaitInSdl(int32_t timeoutMs)
{
    uint32_t start = OsTimeMs();
    for (;;) {
        int32_t left = timeoutMs - int32_t(OsTimeMs() - start);
        if (left <= 0 || TakeWake())
            return;
        if (SDL_WaitEventTimeout(nullptr, std::min(left, kSdlSliceMs)))
            return;
    }
}

} // namespace

void OsPumpSdlEvents()
{
    uint32_t now = OsTimeMs();
#if defined(SDL_VIDEO_DRIVER_X11)
    if (now - gLastPump < kPumpGapMs) {
        Display* display = XDisplay();
        if (display && XQuiet(display))
            return;
    }
#endif
    gLastPump = now;
    SDL_PumpEvents();
}

void OsClearInputWake()
{
    TakeWake();
}

void OsWakeInputWait()
{
    int fd = WakeFd();
    uint64_t one = 1;
    if (fd < 0)
        return;
    // Only fails when the counter is full, and then it is ready anyway.
    while (write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void OsWaitForInput(int32_t timeoutMs)
{
    if (timeoutMs <= 0)
        return;
    int x = -1;
    if (OsState().videoReady) {
        // Input SDL queued itself (events it made for the program's own
        // calls, events pushed by other threads) or Xlib holds does not show
        // on the connection.
        bool held = false;
        x = XConnection(&held);
        if (held || SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT))
            return;
        if (x < 0) {
            WaitInSdl(timeoutMs);
            return;
        }
    }
    pollfd fds[2];
    nfds_t count = 0;
    if (WakeFd() >= 0)
        fds[count++] = pollfd{WakeFd(), POLLIN, 0};
    if (x >= 0)
        fds[count++] = pollfd{x, POLLIN, 0};
    // A signal ends the wait early; SDL makes its quit event at a pump.
    if (poll(fds, count, timeoutMs) > 0 && WakeFd() >= 0 && (fds[0].revents & POLLIN))
        TakeWake();
}
