#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Matrix.h"
#include "platform/TString.h"
#include "platform/Vector.h"

namespace KScene {

// Token words of the binary .x encoding.
enum : int32_t {
    kTokName = 1,
    kTokString = 2,
    kTokIntList = 6,
    kTokFloatList = 7,
    kTokOpenBrace = 10,
    kTokCloseBrace = 11,
    kTokSemicolon = 20,
    kTokEnd = 256, // what a word past the end of the bytes reads as
};

// Reads the tokens of a binary .x file held in memory. Every length and
// count is checked against the bytes left: one that runs past the end is
// reported and ends the stream, so every later read sees the end. The
// first problem of a file is logged, the rest are not.
class XTokenStream {
public:
    XTokenStream(std::vector<uint8_t> bytes, const TString& fileName);

    bool AtEnd() const { return mPos >= mBytes.size(); }
    size_t Position() const { return mPos; }
    size_t BytesLeft() const { return mBytes.size() - mPos; }

    // Consumes one word whatever it is; true when it is the given word.
    // A different word is reported.
    bool ExpectToken(int32_t word);
    // The next word without consuming it.
    int32_t PeekToken() const;
    // The payload of a name or string token (its word already consumed):
    // a 32-bit length and the bytes, cut at the first zero byte.
    TString ReadName();
    // A 32-bit count and that many values; a count below 1 gives none.
    std::vector<int32_t> ReadIntList();
    std::vector<float> ReadFloatList();
    // Moves to the name token holding the text (the first match of its
    // bytes), or to the end when there is none.
    void SeekToName(const char* text);

    // Logs the first problem of the file (offset and text).
    void Complain(const char* what);
    // Logs like Complain and ends the stream.
    void Fail(const char* what);
    bool HasComplained() const { return mComplained; }

private:
    bool ReadU32(uint32_t& out);
    // Reads a count of 4-byte values; a count beyond the bytes left gives
    // what is left and sets truncated (the stream ends after them).
    uint32_t ReadCount(bool& truncated);

    std::vector<uint8_t> mBytes;
    size_t mPos = 0;
    TString mFileName;
    bool mComplained = false;
};

// Groups floats by three; a remainder is dropped.
std::vector<TVec3> ToVec3List(const std::vector<float>& floats);
// Identity, then the first 16 values row by row (missing ones stay identity).
TMat4 ToMatrix(const std::vector<float>& floats, size_t first = 0);

} // namespace KScene
