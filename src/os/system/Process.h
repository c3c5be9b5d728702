#pragma once
#include <cstdint>
#include <string>

// Programs, URLs, the optional test-hook library and GUIDs.

// Full path of the running executable; empty when unknown.
std::string OsExecutablePath();

// Starts `program` with exactly one argument (argv = {program, argument});
// no shell is involved, so the argument arrives byte for byte. A name
// without '/' is looked up in PATH. The child inherits none of our
// close-on-exec descriptors (the instance lock among them) and is reaped in
// the background. Returns the child's pid, or -1.
int32_t OsStartProgram(const char* program, const char* argument);

// The same, but waits for the child: its exit status 0..255, or -1 when it
// could not be started or ended by a signal.
int32_t OsRunProgram(const char* program, const char* argument);

// Opens a URL with `program` (the "-host=" program) when given, else
// $QUILLORY_URL_OPENER when set, else "xdg-open". An empty URL or one that
// starts with '-' (it would read as an option) is refused. True when the
// opener started.
bool OsOpenUrl(const char* url, const char* program = nullptr);

// The test hook: a function in an optional library that may replace the
// command line (it gets the address of the command-line pointer) and returns
// a window handle of its own.
using OsTestHookFn = void* (*)(char** commandLine);
// dlopen of `path` (normally "dnHarness.so" beside the executable) and
// dlsym("TestHook"). Null when either is missing; the library stays loaded
// until OsUnloadTestHook.
OsTestHookFn OsLoadTestHook(const std::string& path);
void OsUnloadTestHook();

// 16 random bytes from getrandom, laid out as a version-4 GUID.
struct OsGuid {
    uint8_t bytes[16] = {};
    bool operator==(const OsGuid&) const = default;
};
bool OsNewGuid(OsGuid* guid);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (bytes in order, upper case).
std::string OsGuidToString(const OsGuid& guid);
