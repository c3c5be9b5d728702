#include "os/audio/AudioLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {

std::atomic<void (*)(const char*)> gSink{nullptr};

} // namespace

void AudioSetLogSink(void (*sink)(const char* line))
{
    gSink.store(sink);
}

void AudioLog(const char* format, ...)
{
    char buf[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    if (auto sink = gSink.load())
        sink(buf);
    else
        fprintf(stderr, "%s\n", buf);
}
