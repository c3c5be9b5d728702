#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// The Blowfish block cipher: 64-bit blocks, 16 rounds, the standard initial
// P-array and S-boxes (hexadecimal digits of pi) and the standard key
// schedule. Block halves are read and written big-endian, left half first.
class TBlowfish {
public:
    static constexpr uint32_t kBlockSize = 8;

    TBlowfish();  // the initial tables, no key
    ~TBlowfish();
    TBlowfish(const TBlowfish&) = delete;
    TBlowfish& operator=(const TBlowfish&) = delete;

    // Starts again from the initial tables and runs the key schedule.
    // Key bytes are used cyclically; an empty key leaves the P-array unmixed.
    void SetKey(const uint8_t* key, size_t length);

    void EncryptBlock(uint32_t& left, uint32_t& right) const;
    void DecryptBlock(uint32_t& left, uint32_t& right) const;

    // In place on 8 bytes.
    void EncryptBlock(uint8_t* block) const;
    void DecryptBlock(uint8_t* block) const;

private:
    uint32_t F(uint32_t x) const;

    std::unique_ptr<uint32_t[]> mP;     // 18 words
    std::unique_ptr<uint32_t[]> mS[4];  // 256 words each
};
