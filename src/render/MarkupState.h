#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/TString.h"

// One level of the font stack: face, size in pixels and colour (0..1).
struct TFontState {
    TString face;
    int32_t size = 0;
    float colour[4] = {0, 0, 0, 0};
};

// The markup parser's state, reset at the start of every layout pass.
// Both stacks hold 31 levels above the base; pushes beyond that and their
// matching pops change nothing.
class TMarkupState {
public:
    static constexpr int32_t kDepth = 32;

    void Reset(const TString& face, int32_t size, const float colour[4]);

    const TFontState& Font() const { return mFonts[mFontDepth]; }
    TFontState& Font() { return mFonts[mFontDepth]; }
    // Pushes a copy of the current level; false when the stack is full.
    bool PushFont();
    void PopFont();

    // -1 on an empty stack: the layout's flags apply.
    int32_t Alignment() const { return mAlign[mAlignDepth]; }
    void PushAlignment(int32_t mode);
    void PopAlignment();

    bool bold = false, italic = false, underline = false;
    TString linkId;
    float linkColour[4] = {0, 0, 0, 0};
    float outlineSize = 0;
    float outlineColour[4] = {0, 0, 0, 0};

private:
    TFontState mFonts[kDepth];
    int32_t mFontDepth = 0;
    int32_t mFontOverflow = 0;
    int32_t mAlign[kDepth] = {-1};
    int32_t mAlignDepth = 0;
    int32_t mAlignOverflow = 0;
};

// Tag text, normalised: spaces outside quotes dropped, lower case except
// from an "=" up to the next space, at most kMaxTag characters.
class TMarkupTag {
public:
    static constexpr size_t kMaxTag = 128;

    // Reads the tag whose "<" is at text[at]; lastClose is the index of
    // the text's last ">" (LastClose). False when no ">" follows (the "<"
    // is then text). end is where reading goes on: after the ">", or where
    // the kMaxTag-th kept character stopped the tag.
    bool Read(const char* text, size_t length, size_t at, size_t lastClose, size_t& end);
    // The index of the last ">" in text, or SIZE_MAX.
    static size_t LastClose(const char* text, size_t length);

    const char* Text() const { return mText; }
    bool StartsWith(const char* name) const;
    // The quoted value after the attribute's name; false when absent.
    bool Attribute(const char* name, TString& value) const;
    // A number attribute (leading digits, as atoi), clamped to [low, high];
    // fallback when absent.
    int32_t Number(const char* name, int32_t fallback, int32_t low, int32_t high) const;

private:
    char mText[kMaxTag + 1] = {};
    size_t mLength = 0;
};

// A colour value: an optional "#", then hexadecimal digits (the low 32
// bits are kept). With allowAlpha, exactly eight digits are RRGGBBAA; any
// other value is RRGGBB with alpha 1. Channels as 0..1.
void ParseMarkupColour(const TString& value, bool allowAlpha, float rgba[4]);
