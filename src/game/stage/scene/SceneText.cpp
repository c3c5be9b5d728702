#include "game/stage/scene/SceneText.h"

#include <locale.h>
#include <stdlib.h>

#include <cctype>
#include <climits>
#include <cmath>

#include "game/stage/scene/SceneError.h"
#include "platform/Numbers.h"

namespace KScene {

namespace {

// The C locale, made once; null when it cannot be made (the conversions
// then fall back to the process locale, which the program leaves at "C").
locale_t CLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return locale;
}

bool IsBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// A float at text, the end of what was read in *end (text itself when
// nothing was). Not finite: reported and 0.
float ReadFloat(const char* text, const char** end, const TString& whole)
{
    char* stop = nullptr;
    const locale_t locale = CLocale();
    const float value = locale ? strtof_l(text, &stop, locale) : strtof(text, &stop);
    *end = stop ? stop : text;
    if (*end != text && !std::isfinite(value)) {
        SceneError("Number out of range in (%s); 0 used", whole.c_str());
        return 0.0f;
    }
    return *end == text ? 0.0f : value;
}

} // namespace

int ParseColor(const TString& text, TColorValue& colour)
{
    float* parts[4] = {&colour.r, &colour.g, &colour.b, &colour.a};
    for (float* part : parts)
        *part = 1.0f;
    const char* p = text.c_str();
    int groups = 0;
    if (*p == '#') {
        ++p;
        for (; groups < 4; ++groups) {
            while (IsBlank(*p))
                ++p;
            int high = HexDigit(*p);
            if (high < 0)
                break;
            ++p;
            int value = high;
            int low = HexDigit(*p);
            if (low >= 0) {
                value = high * 16 + low;
                ++p;
            }
            *parts[groups] = float(value) / 255.0f;
        }
    }
    if (groups < 3)
        SceneError("Cannot parse Color (%s)", text.c_str());
    return groups;
}

TColorValue ParseColor(const TString& text)
{
    TColorValue colour;
    ParseColor(text, colour);
    return colour;
}

TVec3 ParseVec3(const TString& text)
{
    float values[3] = {0, 0, 0};
    const char* p = text.c_str();
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (*p != ',')
                break;
            ++p;
        }
        const char* end = p;
        const float value = ReadFloat(p, &end, text);
        if (end == p)
            break;
        values[i] = value;
        p = end;
    }
    return TVec3(values[0], values[1], values[2]);
}

float ParseNumber(const TString& text)
{
    char* stop = nullptr;
    const char* start = text.c_str();
    const locale_t locale = CLocale();
    const double value = locale ? strtod_l(start, &stop, locale) : strtod(start, &stop);
    if (stop == start)
        return 0.0f;
    const float narrow = float(value);
    if (!std::isfinite(value) || !std::isfinite(narrow)) {
        SceneError("Number out of range in (%s); 0 used", text.c_str());
        return 0.0f;
    }
    return narrow;
}

int32_t ParseKeyword(const TString& text, const char* const* names, int32_t count)
{
    TString lower = text;
    lower.ToLower();
    const char* p = lower.c_str();
    while (IsBlank(*p))
        ++p;
    const char* digits = p + ((*p == '+' || *p == '-') ? 1 : 0);
    if (*digits >= '0' && *digits <= '9') {
        const long long value = strtoll(p, nullptr, 10);
        if (value > INT32_MAX)
            return INT32_MAX;
        if (value < INT32_MIN)
            return INT32_MIN;
        return int32_t(value);
    }
    for (int32_t i = 0; i < count; ++i)
        if (lower == names[i])
            return i;
    return 0;
}

int32_t ParseLightType(const TString& text)
{
    static const char* const kNames[] = {"kdirectional", "kpointsource", "kspotlight"};
    return ParseKeyword(text, kNames, 3);
}

int32_t ParseAddressMode(const TString& text)
{
    static const char* const kNames[] = {"kmapclamp", "kmapwrap", "kmapmirror"};
    return ParseKeyword(text, kNames, 3);
}

} // namespace KScene
