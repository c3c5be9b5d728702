#include "ui/Style.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Parses a whole number text in the C locale; false when it is not one.
bool ParseNumber(const TString& text, double& out)
{
    const char* s = text.c_str();
    if (!*s)
        return false;
    locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    char* end = nullptr;
    double value = c ? strtod_l(s, &end, c) : strtod(s, &end);
    if (c)
        freelocale(c);
    if (end == s || *end != 0)
        return false;
    out = value;
    return true;
}

} // namespace

TValueStyle& TValueStyle::Set(const TString& key, const TString& value)
{
    mValues[key] = value;
    return *this;
}

TValueStyle& TValueStyle::Set(const TString& key, double value)
{
    mValues[key] = StrFormat("%.17g", value);
    return *this;
}

TValueStyle& TValueStyle::Set(const TString& key, bool value)
{
    mValues[key] = value ? "true" : "false";
    return *this;
}

double TValueStyle::GetNumber(const TString& key, double def) const
{
    auto it = mValues.find(key);
    if (it == mValues.end())
        return def;
    double value = 0.0;
    return ParseNumber(it->second, value) ? value : 0.0;
}

int32_t TValueStyle::GetInt(const TString& key, int32_t def) const
{
    double value = GetNumber(key, def);
    // Truncate toward zero; out-of-range values saturate.
    if (std::isnan(value))
        return 0;
    if (value >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (value <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

TString TValueStyle::GetString(const TString& key, const TString& def) const
{
    auto it = mValues.find(key);
    return it == mValues.end() ? def : it->second;
}

bool TValueStyle::GetBool(const TString& key, bool def) const
{
    auto it = mValues.find(key);
    if (it == mValues.end())
        return def;
    if (it->second == "true")
        return true;
    double value = 0.0;
    return ParseNumber(it->second, value) && value != 0.0;
}
