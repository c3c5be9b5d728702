#include "os/window/Clipboard.h"

#include <SDL.h>

#include "os/window/Window.h"

std::string OsLatin1ToUtf8(std::string_view latin1)
{
    std::string out;
    out.reserve(latin1.size());
    for (char ch : latin1) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(char(c));
        } else {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string OsUtf8ToLatin1(std::string_view utf8, char replacement)
{
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    const size_t n = utf8.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(char(c));
            ++i;
            continue;
        }
        int extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0) {
            // A stray continuation or invalid lead byte: one replacement.
            if (replacement)
                out.push_back(replacement);
            ++i;
            continue;
        }
        uint32_t cp = c & (0x3Fu >> extra);
        size_t j = i + 1;
        bool ok = true;
        for (int k = 0; k < extra; ++k, ++j) {
            if (j >= n || (static_cast<unsigned char>(utf8[j]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[j]) & 0x3F);
        }
        static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            if (replacement)
                out.push_back(replacement);
            i = j;  // the lead byte and the continuation bytes that fit
            continue;
        }
        if (cp <= 0xFF)
            out.push_back(char(cp));
        else if (replacement)
            out.push_back(replacement);
        i = j;
    }
    return out;
}

bool OsSetClipboardText(std::string_view latin1)
{
    if (!OsVideoReady())
        return false;
    std::string utf8 = OsLatin1ToUtf8(latin1);
    return SDL_SetClipboardText(utf8.c_str()) == 0;
}

bool OsHasClipboardText()
{
    return OsVideoReady() && SDL_HasClipboardText() == SDL_TRUE;
}

std::string OsGetClipboardText(char replacement)
{
    if (!OsHasClipboardText())
        return std::string();
    char* text = SDL_GetClipboardText();
    if (!text)
        return std::string();
    std::string out = OsUtf8ToLatin1(text, replacement);
    SDL_free(text);
    return out;
}
