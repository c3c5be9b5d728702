// Linked into the test programs that run under xvfb-run.
//
// Xvfb resets itself whenever its last client disconnects, and a client that
// connects during the reset is dropped: XOpenDisplay fails, and SDL quietly
// falls back to a video driver without a screen. Programs that connect and
// disconnect one after another (a video system per test, a child process per
// test) would meet that at random; one connection held for the program's
// life keeps the server from resetting.
#include <X11/Xlib.h>

#include <cstdlib>

namespace {

class ServerHold {
public:
    ServerHold() : mDisplay(XOpenDisplay(nullptr)) {}
    ~ServerHold()
    {
        if (mDisplay)
            XCloseDisplay(mDisplay);
    }
    ServerHold(const ServerHold&) = delete;
    ServerHold& operator=(const ServerHold&) = delete;

private:
    Display* mDisplay;
};

const ServerHold gHold;

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// The leak checker's settings, built in so that a run by hand checks the same
// way as a run under ctest. System libraries keep some allocations for the
// life of the process (the session bus connection, the GL driver's
// per-process state). The driver's own frames have no names once it is
// unloaded at shut-down, so its allocations are recognised by the GL vendor
// library further down the stack, which takes the slow unwinder. The slow
// unwinder deadlocks with llvmpipe's code generator (which registers its
// code with the unwinder), and the display set-up draws (its calibrations):
// these programs use Mesa's softpipe, which generates no code.
extern "C" const char* __lsan_default_options()
{
    return "fast_unwind_on_malloc=0:print_suppressions=0";
}

namespace {
const int gSoftpipe = setenv("GALLIUM_DRIVER", "softpipe", 0);
} // namespace

extern "C" const char* __lsan_default_suppressions()
{
    // The last three: the driver's allocations made inside our GL calls,
    // whose own frames lose their names when the driver is unloaded.
    return "leak:libdbus-1.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:_dri.so\n"
           "leak:GfxGlDevice::\n"
           "leak:GfxGlDisplay::\n"
           "leak:GfxGlSurface::\n";
}
#endif
