#pragma once
#include <cstdint>
#include <vector>

#include "platform/TString.h"
#include "render/AnimatedTexture.h"

namespace KAnim {

// The order in which an animation shows its texture's frames, parsed from a
// short text of comma-separated items, each of (tried in this order, with
// the C library's scanning: blanks before a number skipped, signs allowed,
// anything after the last number read ignored):
//   "F[N]"  frame F, N times (nothing when N <= 0)
//   "F-L"   frames F, F+1, ..., L (nothing when F > L)
//   "F"     frame F once
// Items that match none add nothing. An empty text gives every frame of the
// texture in order. Indices are not checked against the texture (it ignores
// bad ones). The list never grows beyond kMaxEntries (a log line says so).
class FrameList {
public:
    static constexpr int32_t kMaxEntries = 100000;

    // No texture, no frames, empty text.
    FrameList() = default;
    FrameList(const TAnimatedTextureRef& texture, const TString& text);

    // Parses text anew.
    void Set(const TString& text);
    // Parses one item and appends what it gives.
    void AddItem(const TString& item);

    int32_t Count() const { return int32_t(mFrames.size()); }
    // The frame index at position (0 <= position < Count()).
    int32_t At(int32_t position) const { return mFrames[size_t(position)]; }
    const std::vector<int32_t>& GetFrames() const { return mFrames; }
    const TString& GetText() const { return mText; }

private:
    // Appends frame count times; false (logged once) when the list is full.
    bool Append(int32_t frame, int64_t count);

    TAnimatedTextureRef mTexture;
    std::vector<int32_t> mFrames;
    TString mText;
    bool mCapLogged = false;
};

// The pieces of text between occurrences of separator, left to right; a
// separator at either end or two in a row give empty pieces; a text without
// it gives itself. An empty separator gives the whole text.
std::vector<TString> SplitString(const TString& text, const TString& separator);

} // namespace KAnim
