#include "game/stage/model/XTokenStream.h"

#include <cstring>
#include <utility>

#include "platform/Log.h"

namespace KScene {

XTokenStream::XTokenStream(std::vector<uint8_t> bytes, const TString& fileName)
    : mBytes(std::move(bytes)), mFileName(fileName)
{
}

void XTokenStream::Complain(const char* what)
{
    if (mComplained)
        return;
    mComplained = true;
    WriteLog("Model %s: %s at byte %zu; read as far as it goes", mFileName.c_str(), what, mPos);
}

void XTokenStream::Fail(const char* what)
{
    Complain(what);
    mPos = mBytes.size();
}

bool XTokenStream::ExpectToken(int32_t word)
{
    const int32_t got = PeekToken();
    if (got != kTokEnd)
        mPos += 2;
    if (got == word)
        return true;
    if (got == kTokEnd)
        Complain("the file ends early");
    else
        Complain("an unexpected token");
    return false;
}

int32_t XTokenStream::PeekToken() const
{
    if (BytesLeft() < 2)
        return kTokEnd;
    return int16_t(uint16_t(mBytes[mPos] | (mBytes[mPos + 1] << 8)));
}

bool XTokenStream::ReadU32(uint32_t& out)
{
    if (BytesLeft() < 4) {
        Fail("the file ends inside a token");
        return false;
    }
    const uint8_t* p = mBytes.data() + mPos;
    out = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    mPos += 4;
    return true;
}

TString XTokenStream::ReadName()
{
    uint32_t length = 0;
    if (!ReadU32(length))
        return TString();
    if (length > BytesLeft()) {
        Fail("a name longer than the file");
        return TString();
    }
    const char* start = reinterpret_cast<const char*>(mBytes.data() + mPos);
    mPos += length;
    const void* zero = memchr(start, 0, length);
    const uint32_t kept = zero ? uint32_t(static_cast<const char*>(zero) - start) : length;
    return TString(start, kept);
}

uint32_t XTokenStream::ReadCount(bool& truncated)
{
    uint32_t count = 0;
    if (!ReadU32(count))
        return 0;
    if (int32_t(count) < 1)
        return 0;
    if (count > BytesLeft() / 4) {
        const uint32_t left = uint32_t(BytesLeft() / 4);
        Complain("a list longer than the file");
        truncated = true;
        return left;
    }
    return count;
}

std::vector<int32_t> XTokenStream::ReadIntList()
{
    bool truncated = false;
    const uint32_t count = ReadCount(truncated);
    std::vector<int32_t> values(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* p = mBytes.data() + mPos + size_t(i) * 4;
        values[i] = int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    }
    mPos += size_t(count) * 4;
    if (truncated)
        mPos = mBytes.size();
    return values;
}

std::vector<float> XTokenStream::ReadFloatList()
{
    bool truncated = false;
    const uint32_t count = ReadCount(truncated);
    std::vector<float> values(count);
    if (count)
        memcpy(values.data(), mBytes.data() + mPos, size_t(count) * 4);
    mPos += size_t(count) * 4;
    if (truncated)
        mPos = mBytes.size();
    return values;
}

void XTokenStream::SeekToName(const char* text)
{
    const size_t length = strlen(text);
    size_t matched = 0;
    while (mPos < mBytes.size() && matched < length) {
        const char c = char(mBytes[mPos++]);
        matched = (c == text[matched]) ? matched + 1 : 0;
    }
    if (matched < length || length == 0)
        return;
    if (mPos < length + 6) {
        Fail("a name token cut at the start of the file");
        return;
    }
    mPos -= length + 6;
}

std::vector<TVec3> ToVec3List(const std::vector<float>& floats)
{
    std::vector<TVec3> out;
    out.reserve(floats.size() / 3);
    for (size_t i = 0; i + 2 < floats.size(); i += 3)
        out.emplace_back(floats[i], floats[i + 1], floats[i + 2]);
    return out;
}

TMat4 ToMatrix(const std::vector<float>& floats, size_t first)
{
    TMat4 m;
    for (size_t k = 0; k < 16 && first + k < floats.size(); ++k)
        m.m[k] = floats[first + k];
    return m;
}

} // namespace KScene
