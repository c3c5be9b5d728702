#include "platform/Base64.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DecodeChar(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

}  // namespace

size_t Base64EncodedLength(size_t length)
{
    return (length + 2) / 3 * 4;
}

std::string Base64Encode(const uint8_t* data, size_t length)
{
    std::string out;
    out.reserve(Base64EncodedLength(length));
    for (size_t i = 0; i < length; i += 3) {
        const size_t n = length - i < 3 ? length - i : 3;
        uint32_t group = uint32_t(data[i]) << 16;
        if (n > 1)
            group |= uint32_t(data[i + 1]) << 8;
        if (n > 2)
            group |= data[i + 2];
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += n > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out += n > 2 ? kAlphabet[group & 63] : '=';
    }
    return out;
}

std::vector<uint8_t> Base64Decode(const char* text, size_t length)
{
    const size_t groups = (length + 3) / 4;
    std::vector<uint8_t> out;
    out.reserve(groups * 3);
    size_t drop = 0;
    for (size_t g = 0; g < groups; ++g) {
        char c[4];
        for (size_t j = 0; j < 4; ++j) {
            const size_t at = g * 4 + j;
            c[j] = at < length ? text[at] : '=';
        }
        uint32_t group = 0;
        for (char ch : c) {
            const int v = DecodeChar(ch);
            group = (group << 6) | uint32_t(v < 0 ? 0 : v);
        }
        out.push_back(uint8_t(group >> 16));
        out.push_back(uint8_t(group >> 8));
        out.push_back(uint8_t(group));
        if (c[3] == '=') {
            ++drop;
            if (c[2] == '=')
                ++drop;
        }
    }
    out.resize(out.size() - drop);
    return out;
}

bool IsBase64Text(const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (DecodeChar(text[i]) < 0)
            return false;
    return true;
}
