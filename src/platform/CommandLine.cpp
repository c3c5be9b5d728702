#include "platform/CommandLine.h"

#include <cstring>
#include <string>

#include "platform/Numbers.h"

namespace {

constexpr uint32_t kMaxHostProgram = 259;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The text after the first occurrence of `name`, or null.
const char* After(const char* commandLine, const char* name)
{
    if (!commandLine)
        return nullptr;
    const char* at = std::strstr(commandLine, name);
    return at ? at + std::strlen(name) : nullptr;
}

} // namespace

TString JoinCommandLine(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (!argv[i])
            continue;
        std::string arg = argv[i];
        if (!line.empty())
            line += ' ';
        if (arg.rfind("-wd=", 0) == 0 && arg.find_first_of(" \t") != std::string::npos &&
            arg.size() > 4 && arg[4] != '"') {
            line += "-wd=\"" + arg.substr(4) + "\"";
        } else {
            line += arg;
        }
    }
    return TString(line.c_str(), uint32_t(line.size()));
}

bool HasSwitch(const char* commandLine, const char* name)
{
    return After(commandLine, name) != nullptr;
}

bool ParseWindowSwitch(const char* commandLine, uint32_t& handle)
{
    const char* p = After(commandLine, "-wnd=");
    if (!p)
        return false;
    // As "%x" reads it: leading blanks, an optional 0x, hex digits; the
    // value keeps the low 32 bits.
    while (IsBlank(*p))
        ++p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigit(p[2]) >= 0)
        p += 2;
    uint32_t value = 0;
    for (int digit; (digit = HexDigit(*p)) >= 0; ++p)
        value = (value << 4) | uint32_t(digit);
    handle = value;
    return true;
}

bool ParseWorkingFolder(const char* commandLine, TString& folder)
{
    const char* p = After(commandLine, "-wd=");
    if (!p)
        return false;
    const char* end;
    if (*p == '"') {
        ++p;
        end = std::strchr(p, '"');
        if (!end)
            end = p + std::strlen(p);
    } else {
        end = p;
        while (*end && !IsBlank(*end))
            ++end;
    }
    if (end == p)
        return false;
    folder = TString(p, uint32_t(end - p));
    return true;
}

bool ParseHostProgram(const char* commandLine, TString& program)
{
    const char* p = After(commandLine, "-host=");
    if (!p)
        return false;
    while (IsBlank(*p) || *p == '\n' || *p == '\r')
        ++p;
    const char* end = p;
    while (*end && !IsBlank(*end) && *end != '\n' && *end != '\r' &&
           uint32_t(end - p) < kMaxHostProgram)
        ++end;
    if (end == p)
        return false;
    program = TString(p, uint32_t(end - p));
    return true;
}

std::vector<std::pair<TString, TString>> ParseOptions(const char* commandLine)
{
    std::vector<std::pair<TString, TString>> pairs;
    const char* rest = After(commandLine, "options=");
    if (!rest)
        return pairs;
    while (*rest && !IsBlank(*rest)) {
        const char* equals = std::strchr(rest, '=');
        if (!equals)
            break;
        TString key(rest, uint32_t(equals - rest));
        rest = equals + 1;
        const char* end = std::strchr(rest, '&');
        if (!end) {
            end = rest;
            while (*end && !IsBlank(*end))
                ++end;
        }
        TString value(rest, uint32_t(end - rest));
        rest = *end ? end + 1 : end;
        pairs.emplace_back(key, value);
    }
    return pairs;
}

namespace {
TString gCommandLine;
}

const TString& GetCommandLineText()
{
    return gCommandLine;
}

void SetCommandLineText(const TString& commandLine)
{
    gCommandLine = commandLine;
}

bool HasPqSwitch()
{
    return HasSwitch(gCommandLine.c_str(), "-pq=");
}
