#include "os/system/Folders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    struct passwd pw;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return std::string();
}

void DropTrailingSlashes(std::string& path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
}

// Value of XDG_DESKTOP_DIR in a user-dirs.dirs file: a double-quoted text
// that is "$HOME/..." or an absolute path, with backslash escapes.
std::string ReadDesktopEntry(const std::string& file, const std::string& home)
{
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f)
        return std::string();
    std::string result;
    char line[4096];
    while (std::fgets(line, sizeof line, f)) {
        const char* p = line;
        while (*p == ' ' || *p == '\t')
            ++p;
        static const char kKey[] = "XDG_DESKTOP_DIR";
        if (std::string(p).compare(0, sizeof kKey - 1, kKey) != 0)
            continue;
        p += sizeof kKey - 1;
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p++ != '=')
            continue;
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p++ != '"')
            continue;
        std::string value;
        bool closed = false;
        for (; *p; ++p) {
            if (*p == '\\' && p[1]) {
                value += *++p;
            } else if (*p == '"') {
                closed = true;
                break;
            } else {
                value += *p;
            }
        }
        if (!closed)
            continue;
        if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/')) {
            if (home.empty())
                continue;
            value = home + value.substr(5);
        } else if (value.empty() || value[0] != '/') {
            continue;
        }
        result = value; // the last assignment counts, as in a shell
    }
    std::fclose(f);
    DropTrailingSlashes(result);
    return result;
}

} // namespace

std::string OsUserDataHome()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && data[0] == '/') {
        base = data;
    } else {
        std::string home = HomeFolder();
        if (home.empty())
            return std::string();
        DropTrailingSlashes(home);
        base = (home == "/" ? std::string() : home) + "/.local/share";
    }
    DropTrailingSlashes(base);
    return base;
}

std::string OsDesktopFolder()
{
    std::string home = HomeFolder();
    DropTrailingSlashes(home);

    std::string config;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/')
        config = configHome;
    else if (!home.empty())
        config = home + "/.config";

    if (!config.empty()) {
        DropTrailingSlashes(config);
        std::string desktop = ReadDesktopEntry(config + "/user-dirs.dirs", home);
        // A desktop entry equal to the home folder means "no desktop".
        if (!desktop.empty() && desktop != home && OsIsFolder(desktop))
            return desktop;
    }
    if (!home.empty() && OsIsFolder(home + "/Desktop"))
        return home + "/Desktop";
    return std::string();
}

std::string OsExecutableFolder()
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof buffer - 1))
        return std::string();
    std::string path(buffer, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return path.substr(0, slash + 1);
}

std::string OsFullPath(const std::string& path)
{
    if (path.empty())
        return std::string();
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    if (error)
        return std::string();
    return full.lexically_normal().string();
}

bool OsIsFolder(const std::string& path)
{
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool OsMakeFolder(const std::string& path)
{
    if (path.empty())
        return false;
    if (mkdir(path.c_str(), 0755) == 0)
        return true;
    return errno == EEXIST && OsIsFolder(path);
}

bool OsMakeFolders(const std::string& path)
{
    if (path.empty())
        return false;
    for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1)) {
        std::string part = path.substr(0, pos);
        if (part.back() != '/' && !OsIsFolder(part) && !OsMakeFolder(part))
            return false;
    }
    return OsIsFolder(path) || OsMakeFolder(path);
}

bool OsIsReadableFile(const std::string& path)
{
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           access(path.c_str(), R_OK) == 0;
}

bool OsCanReadWrite(const std::string& path)
{
    return !path.empty() && access(path.c_str(), R_OK | W_OK) == 0;
}
