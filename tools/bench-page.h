#pragma once
// The page of body text the text benchmarks lay out: about 3,000 characters
// of words with a little markup (bold, italic, a coloured font, links, line
// breaks).
#include <cstdint>
#include <iterator>
#include <string>

namespace bench_page {

// Words picked by a fixed sequence; every so often a styled stretch, a
// link or a paragraph break. glyphs counts the characters outside tags.
inline std::string Page(size_t wantGlyphs, size_t& glyphs)
{
    static const char* const kWords[] = {
        "the",    "quiz",    "show",   "asks",   "every", "player", "a",       "question", "about",
        "rivers", "kings",   "stars",  "music",  "and",   "small",  "animals", "while",    "audience",
        "claps",  "between", "rounds", "points", "grow",  "when",   "answers", "are",      "right",
    };
    std::string text;
    glyphs = 0;
    uint32_t seed = 7;
    for (size_t word = 0; glyphs < wantGlyphs; ++word) {
        seed = seed * 1103515245u + 12345u;
        const char* w = kWords[(seed >> 16) % std::size(kWords)];
        std::string piece = w;
        if (word % 37 == 5)
            piece = "<b>" + piece + "</b>";
        else if (word % 53 == 11)
            piece = "<i>" + piece + "</i>";
        else if (word % 71 == 17)
            piece = "<font color='ff8000'>" + piece + "</font>";
        else if (word % 97 == 23)
            piece = "<u><a id='more'>" + piece + "</a></u>";
        text += piece;
        glyphs += std::string(w).size();
        if (word % 120 == 119) {
            text += "<br pad='6'>";
        } else {
            text += ' ';
            ++glyphs;
        }
    }
    return text;
}

} // namespace bench_page
