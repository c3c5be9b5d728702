#include "render/MarkupState.h"

#include <cstdint>
#include <cstring>

#include "platform/Numbers.h"

void TMarkupState::Reset(const TString& face, int32_t size, const float colour[4])
{
    for (TFontState& f : mFonts)
        f = TFontState();
    mFonts[0].face = face;
    mFonts[0].size = size;
    std::memcpy(mFonts[0].colour, colour, sizeof mFonts[0].colour);
    mFontDepth = mFontOverflow = 0;
    mAlign[0] = -1;
    mAlignDepth = mAlignOverflow = 0;
    bold = italic = underline = false;
    linkId = TString();
    std::memset(linkColour, 0, sizeof linkColour);
    outlineSize = 0;
    std::memset(outlineColour, 0, sizeof outlineColour);
}

bool TMarkupState::PushFont()
{
    if (mFontDepth + 1 >= kDepth) {
        ++mFontOverflow;
        return false;
    }
    mFonts[mFontDepth + 1] = mFonts[mFontDepth];
    ++mFontDepth;
    return true;
}

void TMarkupState::PopFont()
{
    if (mFontOverflow > 0)
        --mFontOverflow;
    else if (mFontDepth > 0)
        --mFontDepth;
}

void TMarkupState::PushAlignment(int32_t mode)
{
    if (mAlignDepth + 1 >= kDepth) {
        ++mAlignOverflow;
        return;
    }
    mAlign[++mAlignDepth] = mode;
}

void TMarkupState::PopAlignment()
{
    if (mAlignOverflow > 0)
        --mAlignOverflow;
    else if (mAlignDepth > 0)
        --mAlignDepth;
}

size_t TMarkupTag::LastClose(const char* text, size_t length)
{
    for (size_t i = length; i-- > 0;)
        if (text[i] == '>')
            return i;
    return SIZE_MAX;
}

bool TMarkupTag::Read(const char* text, size_t length, size_t at, size_t lastClose, size_t& end)
{
    mLength = 0;
    mText[0] = 0;
    if (at >= length || text[at] != '<' || lastClose == SIZE_MAX || lastClose <= at)
        return false;
    bool quoted = false, lower = true;
    size_t i = at + 1;
    for (; i < length && text[i] != '>'; ++i) {
        if (mLength == kMaxTag)
            break;
        char c = text[i];
        if (c == '"' || c == '\'')
            quoted = !quoted;
        if (c == '=')
            lower = false;
        if (c == ' ') {
            lower = true;
            if (!quoted)
                continue;
        }
        if (lower && c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        mText[mLength++] = c;
    }
    mText[mLength] = 0;
    end = (i < length && text[i] == '>') ? i + 1 : i;
    return true;
}

bool TMarkupTag::StartsWith(const char* name) const
{
    return std::strncmp(mText, name, std::strlen(name)) == 0;
}

namespace {

// The next quote after from: a double quote when one follows, else a single.
const char* NextQuote(const char* from)
{
    const char* q = std::strchr(from, '"');
    return q ? q : std::strchr(from, '\'');
}

} // namespace

bool TMarkupTag::Attribute(const char* name, TString& value) const
{
    const char* at = std::strstr(mText, name);
    if (!at)
        return false;
    const char* open = NextQuote(at + std::strlen(name));
    if (!open)
        return false;
    const char* close = NextQuote(open + 1);
    if (!close)
        return false;
    value = TString(open + 1, uint32_t(close - open - 1));
    return true;
}

int32_t TMarkupTag::Number(const char* name, int32_t fallback, int32_t low, int32_t high) const
{
    TString value;
    if (!Attribute(name, value))
        return fallback;
    // atoi's rule without its overflow: leading spaces, a sign, digits.
    const char* p = value.c_str();
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    int64_t n = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (n < (int64_t(1) << 40))
            n = n * 10 + (*p - '0');
    if (negative)
        n = -n;
    return int32_t(n < low ? low : n > high ? high : n);
}

void ParseMarkupColour(const TString& value, bool allowAlpha, float rgba[4])
{
    const char* p = value.c_str();
    if (*p == '#')
        ++p;
    uint32_t n = 0;
    size_t digits = 0;
    for (int d; (d = HexDigit(p[digits])) >= 0; ++digits)
        n = n << 4 | uint32_t(d);
    bool withAlpha = allowAlpha && std::strlen(p) == 8;
    uint32_t rgb = withAlpha ? n >> 8 : n;
    rgba[0] = float(rgb >> 16 & 0xff) / 255.0f;
    rgba[1] = float(rgb >> 8 & 0xff) / 255.0f;
    rgba[2] = float(rgb & 0xff) / 255.0f;
    rgba[3] = withAlpha ? float(n & 0xff) / 255.0f : 1.0f;
}
