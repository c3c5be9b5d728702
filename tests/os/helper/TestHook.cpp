// A stand-in for the optional test-hook library: replaces the command line
// and returns a window handle of its own.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) void* TestHook(char** commandLine)
{
    static char replaced[] = "--hooked options=a=1";
    if (commandLine)
        *commandLine = replaced;
    return reinterpret_cast<void*>(uintptr_t(0x5EED));
}
