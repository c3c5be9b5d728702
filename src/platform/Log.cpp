#include "platform/Log.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <sys/stat.h>

namespace {

constexpr size_t kMaxMessage = 29999;
constexpr uint32_t kWrapAt = 102400;
constexpr uint32_t kWrapTo = 51200;
constexpr char kWrapMarker[] =
    "\n\n\n\n ****************** LOG WRAP AROUND ******************\n\n\n\n";

std::mutex gLogMutex;
std::string gLogPath;       // empty: logging off
uint32_t gWritePosition = 0;
char gMessage[kMaxMessage + 1];

std::string FallbackPath()
{
    const char* tmp = getenv("TMPDIR");
    if (!tmp || !*tmp)
        tmp = "/tmp";
    return std::string(tmp) + "/kavrel.log";
}

FILE* OpenLogFile()
{
    FILE* file = fopen(gLogPath.c_str(), "r+");
    if (!file)
        file = fopen(gLogPath.c_str(), "w");
    if (!file) {
        std::string fallback = FallbackPath();
        file = fopen(fallback.c_str(), "r+");
        if (!file)
            file = fopen(fallback.c_str(), "w");
    }
    return file;
}

// mkdir -p; failures show up later when the file cannot be opened.
void MakeFolders(const std::string& folder)
{
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '/') {
            std::string part = folder.substr(0, i);
            if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                return;
        }
    }
}

} // namespace

void SetLogFolder(const char* folder)
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    if (!folder || !*folder) {
        gLogPath.clear();
        return;
    }
    MakeFolders(folder);
    gLogPath = std::string(folder) + "/logfile.txt";
    remove(gLogPath.c_str());
    gWritePosition = 0;
}

void WriteLog(const char* format, ...)
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    if (gLogPath.empty() || !format)
        return;

    // The output, not the format, is cut: cutting a format could split a
    // conversion.
    va_list args;
    va_start(args, format);
    int written = vsnprintf(gMessage, sizeof gMessage, format, args);
    va_end(args);
    if (written < 0)
        gMessage[0] = 0;

    time_t now = time(nullptr);
    char stamp[64];
    if (!ctime_r(&now, stamp))
        stamp[0] = 0;
    for (char* p = stamp; *p; ++p)
        if (*p == '\n') {
            *p = 0;
            break;
        }

    FILE* file = OpenLogFile();
    if (!file)
        return;
    if (gWritePosition <= kWrapAt) {
        fseek(file, long(gWritePosition), SEEK_SET);
    } else {
        fseek(file, long(kWrapTo), SEEK_SET);
        gWritePosition = kWrapTo;
        fputs(kWrapMarker, file);
    }
    fprintf(file, "%s: %s\n", stamp, gMessage);
    long end = ftell(file);
    if (end >= 0)
        gWritePosition = uint32_t(end);
    fflush(file);
    fclose(file);
}

void WriteError(const char* format, ...)
{
    if (!format)
        return;
    char line[1024];
    va_list args;
    va_start(args, format);
    int written = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (written < 0)
        line[0] = 0;
    fprintf(stderr, "%s\n", line);
    WriteLog("%s", line);
}

TString GetLogPath()
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    // A fresh copy: the caller may be on another thread.
    return TString(gLogPath.c_str());
}

uint32_t GetLogWritePosition()
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    return gWritePosition;
}

void SetLogWritePosition(uint32_t position)
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    gWritePosition = position;
}
