#pragma once

#include <cstdint>
#include <memory>

#include "platform/TString.h"

class TBlowfish;

// Blowfish over whole buffers in electronic-codebook order. Every output is
// padded with p = 1..8 bytes of value p. The output can be had as bytes or
// as Base64 text.
class TEncryptor {
public:
    // The key text is made 12 characters long (filled up with "R" or cut),
    // its last three characters are forced to "RRR", and the 12 characters
    // are Base64-decoded into the 9 key bytes.
    explicit TEncryptor(const TString& keyText);
    ~TEncryptor();
    TEncryptor(const TEncryptor&) = delete;
    TEncryptor& operator=(const TEncryptor&) = delete;

    // Returns 0 when the output was copied into `dest`; otherwise (no
    // destination, or `capacity` too small) the number of bytes needed, and
    // `dest` is not touched. The text form ends with a NUL, counted in the
    // size.
    uint32_t Encrypt(const void* source, uint32_t length, void* dest, uint32_t capacity, bool asText);
    // Same contract. The pad count is taken from the last byte and not
    // checked further; a count that does not fit gives 0 plain bytes.
    uint32_t Decrypt(const void* source, uint32_t length, void* dest, uint32_t capacity, bool fromText);

    // Length of the last output that was copied.
    uint32_t GetLastLength() const { return mLastLength; }

    // The 12-character key text that the key bytes are decoded from.
    static TString NormaliseKey(const TString& keyText);

private:
    std::unique_ptr<TBlowfish> mCipher;
    uint32_t mLastLength = 0;
};
