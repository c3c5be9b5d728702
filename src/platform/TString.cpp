#include "platform/TString.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kMinCapacity = 16;
constexpr uint32_t kFormatBuffer = 4096;

// A fresh rep with a zero-filled buffer of the given capacity.
TStringRep* NewRep(uint32_t capacity)
{
    TStringRep* rep = new TStringRep;
    rep->chars = new char[capacity]();
    rep->refcount = 1;
    rep->capacity = capacity;
    return rep;
}

TStringRep* RepFromBytes(const char* bytes, uint32_t length, uint32_t capacity)
{
    TStringRep* rep = NewRep(capacity);
    if (length)
        memcpy(rep->chars, bytes, length);
    rep->chars[length] = 0;
    return rep;
}

bool SameChar(unsigned char a, unsigned char b, bool noCase)
{
    return noCase ? toupper(a) == toupper(b) : a == b;
}

} // namespace

TString::TString(const char* text)
{
    if (!text) {
        mRep = NewRep(kMinCapacity);
        return;
    }
    uint32_t length = uint32_t(strlen(text));
    mRep = RepFromBytes(text, length, length + 1);
}

TString::TString(const char* bytes, uint32_t length)
{
    if (!bytes)
        length = 0;
    mRep = RepFromBytes(bytes, length, std::max(length + 1, kMinCapacity));
}

TString::TString(const TString& other) : mRep(other.mRep)
{
    if (mRep)
        ++mRep->refcount;
}

TString::TString(TString&& other) noexcept : mRep(other.mRep)
{
    other.mRep = nullptr;
}

TString::~TString()
{
    Release();
}

void TString::Release()
{
    if (mRep && --mRep->refcount == 0) {
        delete[] mRep->chars;
        delete mRep;
    }
    mRep = nullptr;
}

TString& TString::operator=(const TString& other)
{
    if (this == &other)
        return *this;
    TStringRep* rep = other.mRep;
    if (rep)
        ++rep->refcount;
    Release();
    mRep = rep;
    return *this;
}

TString& TString::operator=(TString&& other) noexcept
{
    if (this != &other) {
        Release();
        mRep = other.mRep;
        other.mRep = nullptr;
    }
    return *this;
}

TString& TString::operator=(const char* text)
{
    // Build first: text may point into this string's own buffer.
    TString copy(text);
    return *this = std::move(copy);
}

uint32_t TString::Length() const
{
    return mRep ? uint32_t(strlen(mRep->chars)) : 0;
}

const char* TString::c_str() const
{
    return mRep ? mRep->chars : "";
}

char TString::operator[](uint32_t index) const
{
    return index < Length() ? mRep->chars[index] : 0;
}

int TString::ToInt() const
{
    return atoi(c_str());
}

float TString::ToFloat() const
{
    return float(atof(c_str()));
}

int TString::Compare(const TString& other) const
{
    if (mRep == other.mRep)
        return 0;
    const unsigned char* a = reinterpret_cast<const unsigned char*>(c_str());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(other.c_str());
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    if (*a == *b)
        return 0;
    return *a < *b ? -1 : 1;
}

bool TString::operator==(const char* text) const
{
    return strcmp(c_str(), text ? text : "") == 0;
}

int32_t TString::Find(char c, uint32_t flags, uint32_t start) const
{
    uint32_t length = Length();
    if (start >= length)
        return -1;
    const unsigned char* text = reinterpret_cast<const unsigned char*>(mRep->chars);
    bool noCase = flags & kNoCase;
    if (flags & kBackwards) {
        for (int64_t i = int64_t(length) - 1 - start; i >= 0; --i)
            if (SameChar(text[i], (unsigned char)c, noCase))
                return int32_t(i);
    } else {
        for (uint32_t i = start; i < length; ++i)
            if (SameChar(text[i], (unsigned char)c, noCase))
                return int32_t(i);
    }
    return -1;
}

int32_t TString::Find(const TString& needle, uint32_t flags, uint32_t start) const
{
    uint32_t length = Length();
    uint32_t n = needle.Length();
    if (start >= length || n > length)
        return -1;
    const unsigned char* text = reinterpret_cast<const unsigned char*>(mRep->chars);
    const unsigned char* what = reinterpret_cast<const unsigned char*>(needle.c_str());
    bool noCase = flags & kNoCase;
    auto matches = [&](uint32_t at) {
        for (uint32_t k = 0; k < n; ++k)
            if (!SameChar(text[at + k], what[k], noCase))
                return false;
        return true;
    };
    if (flags & kBackwards) {
        // The first index tried is length - n - start; a negative one finds nothing.
        for (int64_t i = int64_t(length) - n - start; i >= 0; --i)
            if (matches(uint32_t(i)))
                return int32_t(i);
    } else {
        for (uint32_t i = start; uint64_t(i) + n <= length; ++i)
            if (matches(i))
                return int32_t(i);
    }
    return -1;
}

TString TString::Mid(uint32_t start, uint32_t count) const
{
    uint32_t length = Length();
    if (start >= length || count == 0)
        return TString();
    count = std::min(count, length - start);
    return TString(mRep->chars + start, count);
}

TString TString::operator+(const TString& other) const
{
    uint32_t a = Length();
    uint32_t b = other.Length();
    TString result;
    result.mRep = NewRep(std::max(a + b + 1, kMinCapacity));
    memcpy(result.mRep->chars, c_str(), a);
    memcpy(result.mRep->chars + a, other.c_str(), b);
    result.mRep->chars[a + b] = 0;
    return result;
}

TString TString::operator+(char c) const
{
    uint32_t a = Length();
    TString result;
    result.mRep = NewRep(std::max(a + 2, kMinCapacity));
    memcpy(result.mRep->chars, c_str(), a);
    result.mRep->chars[a] = c;
    result.mRep->chars[a + 1] = 0;
    return result;
}

TString operator+(const char* left, const TString& right)
{
    return TString(left) + right;
}

void TString::MakePrivate()
{
    if (!mRep || mRep->refcount < 2)
        return;
    uint32_t length = Length();
    TStringRep* rep = RepFromBytes(mRep->chars, length, length + 1);
    --mRep->refcount;
    mRep = rep;
}

// Gives a private string a buffer of exactly `capacity` bytes, keeping the old
// bytes (including any past the NUL); a null string gets a fresh rep.
void TString::Grow(uint32_t capacity)
{
    if (!mRep) {
        mRep = NewRep(capacity);
        return;
    }
    char* chars = new char[capacity]();
    memcpy(chars, mRep->chars, std::min(capacity, mRep->capacity));
    delete[] mRep->chars;
    mRep->chars = chars;
    mRep->capacity = capacity;
}

void TString::ToLower()
{
    MakePrivate();
    if (!mRep)
        return;
    for (char* p = mRep->chars; *p; ++p)
        *p = char(tolower((unsigned char)*p));
}

TString& TString::operator+=(const TString& other)
{
    uint32_t add = other.Length();
    if (add == 0)
        return *this;
    // Hold the other text: it may be this very string.
    TString keep(other);
    MakePrivate();
    uint32_t length = Length();
    uint32_t needed = length + add + 1;
    if (!mRep)
        Grow(std::max(needed, kMinCapacity));
    else if (mRep->capacity < needed)
        Grow(needed);
    memcpy(mRep->chars + length, keep.c_str(), add);
    mRep->chars[length + add] = 0;
    return *this;
}

TString& TString::operator+=(char c)
{
    char bytes[1] = {c};
    WriteAt(npos, bytes, 1, true);
    return *this;
}

uint32_t TString::WriteAt(uint32_t pos, const void* bytes, uint32_t count, bool terminate)
{
    MakePrivate();
    if (pos == npos)
        pos = Length();
    uint64_t needed = uint64_t(pos) + count + 1;
    if (needed > 0xFFFFFFFFu)
        return pos; // cannot be held: nothing written
    // The source may lie inside our own buffer, which growing frees.
    std::string hold;
    const char* src = static_cast<const char*>(bytes);
    if (mRep && src && src >= mRep->chars && src < mRep->chars + mRep->capacity) {
        hold.assign(src, count);
        src = hold.data();
    }
    if (!mRep) {
        Grow(std::max(uint32_t(needed), kMinCapacity));
    } else if (needed > mRep->capacity) {
        uint64_t capacity = std::max<uint32_t>(mRep->capacity, 1);
        while (capacity < needed)
            capacity *= 2;
        Grow(uint32_t(std::min<uint64_t>(capacity, 0xFFFFFFFFu)));
    }
    if (count && src)
        memcpy(mRep->chars + pos, src, count);
    if (terminate)
        mRep->chars[pos + count] = 0;
    return pos + count;
}

void TString::Reserve(uint32_t n)
{
    uint32_t length = Length();
    uint32_t capacity = std::max({n, kMinCapacity, length + 1});
    TStringRep* rep = RepFromBytes(c_str(), length, capacity);
    Release();
    mRep = rep;
}

// With kAll and kBackwards together the matches are replaced from the end
// towards the start, each new search ending before the text just inserted.
TString& TString::Replace(const TString& what, const TString& with, uint32_t flags,
                          uint32_t start)
{
    // Private handles: either argument may be this string.
    TString find(what);
    TString insert(with);
    uint32_t n = find.Length();
    uint32_t m = insert.Length();
    if (n == 0)
        return *this;
    uint32_t searchFlags = flags & (kNoCase | kBackwards);
    for (;;) {
        int32_t at = Find(find, searchFlags, start);
        if (at < 0)
            break;
        uint32_t length = Length();
        uint32_t index = uint32_t(at);
        uint32_t tail = length - index - n;
        TString result;
        result.mRep = NewRep(length - n + m + 1);
        memcpy(result.mRep->chars, mRep->chars, index);
        memcpy(result.mRep->chars + index, insert.c_str(), m);
        memcpy(result.mRep->chars + index + m, mRep->chars + index + n, tail + 1);
        *this = std::move(result);
        if (!(flags & kAll))
            break;
        start = (flags & kBackwards) ? m + tail : index + m;
    }
    return *this;
}

void TString::Erase(uint32_t pos, uint32_t count)
{
    uint32_t length = Length();
    if (pos >= length || count == 0)
        return;
    MakePrivate();
    if (count == npos || count >= length - pos)
        mRep->chars[pos] = 0;
    else
        memmove(mRep->chars + pos, mRep->chars + pos + count, length - pos - count + 1);
}

void TString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    *this = FormatV(format, args);
    va_end(args);
}

TString TString::FormatV(const char* format, va_list args)
{
    if (!format)
        return TString();
    char buffer[kFormatBuffer];
    buffer[0] = 0;
    if (vsnprintf(buffer, sizeof buffer, format, args) < 0)
        buffer[0] = 0;
    return TString(buffer);
}

TString StrFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    TString result = TString::FormatV(format, args);
    va_end(args);
    return result;
}
