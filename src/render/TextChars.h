#pragma once
#include <cstddef>
#include <cstdint>

// Reads the character at text[pos] and moves pos past it. A backslash is
// dropped and the character after it taken literally (escaped = true); a
// backslash at the very end is dropped alone (false: no character).
// UTF-8 is decoded without validation (a lead byte of 0xF0 or more takes
// three continuation bytes, 0xE0 two, 0xC0 one), but never past the end:
// a sequence cut short uses only the bytes that are there.
inline bool ReadTextChar(const char* text, size_t length, size_t& pos, uint32_t& code, bool& escaped)
{
    escaped = false;
    if (pos < length && text[pos] == '\\') {
        ++pos;
        escaped = true;
    }
    if (pos >= length)
        return false;
    uint8_t lead = uint8_t(text[pos++]);
    int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    code = more == 3 ? lead & 0x07u : more == 2 ? lead & 0x0Fu : more == 1 ? lead & 0x1Fu : lead;
    for (; more > 0 && pos < length; --more)
        code = code << 6 | (uint8_t(text[pos++]) & 0x3Fu);
    return true;
}
