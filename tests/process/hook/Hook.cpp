// A test-hook library: replaces the command line and names no window.
extern "C" __attribute__((visibility("default"))) void* TestHook(char** commandLine)
{
    static char replaced[] = "options=hooked=yes&second=2 --multiple";
    if (commandLine && *commandLine && **commandLine == '-')
        *commandLine = replaced;
    return nullptr;
}
