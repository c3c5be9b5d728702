#include "platform/Base64.h"
#include "platform/Encryptor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string ToHex(const uint8_t* bytes, size_t n)
{
    std::string out;
    char buf[3];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof(buf), "%02X", bytes[i]);
        out += buf;
    }
    return out;
}

std::vector<uint8_t> EncryptBytes(TEncryptor& e, const void* data, uint32_t n)
{
    const uint32_t needed = e.Encrypt(data, n, nullptr, 0, false);
    std::vector<uint8_t> out(needed);
    EXPECT_EQ(e.Encrypt(data, n, out.data(), needed, false), 0u);
    EXPECT_EQ(e.GetLastLength(), needed);
    return out;
}

}  // namespace

TEST(Encryptor, KeyTextIsNormalisedToTwelveCharactersEndingInRRR)
{
    struct Case {
        const char* given;
        const char* used;
    } cases[] = {
        {"", "RRRRRRRRRRRR"},
        {"abcde", "abcdeRRRRRRR"},
        {"abcdefghijk", "abcdefghiRRR"},           // 11: filled, then tail forced
        {"abcdefghijkl", "abcdefghiRRR"},          // 12 with a wrong tail
        {"abcdefghiRRR", "abcdefghiRRR"},          // already right
        {"abcdefghijklmnopqrst", "abcdefghiRRR"},  // 20: cut to 12
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_STREQ(TEncryptor::NormaliseKey(c.given).c_str(), c.used);

        // Both texts key the cipher identically.
        TEncryptor a(c.given), b(c.used);
        const char plain[] = "0123456789abc";
        EXPECT_EQ(EncryptBytes(a, plain, 13), EncryptBytes(b, plain, 13));
    }

    // Only the first nine characters carry key bits.
    TEncryptor a("abcdefghiRRR"), b("abcdefghjRRR");
    const char plain[] = "same text";
    EXPECT_NE(EncryptBytes(a, plain, 9), EncryptBytes(b, plain, 9));
}

TEST(Encryptor, KnownAnswerForStoredFiles)
{
    // Key bytes = Base64 of "abcdefghiRRR" = 69 B7 1D 79 F8 21 89 14 51;
    // 13 bytes plus three pad bytes of 3, Blowfish ECB.
    TEncryptor e("abcdefghijkl");
    const char plain[] = "Hello, prefs!";
    const std::vector<uint8_t> bytes = EncryptBytes(e, plain, 13);
    EXPECT_EQ(ToHex(bytes.data(), bytes.size()), "939BA1FC1020BA0DAD6BFD87C40160B1");

    char text[25];
    EXPECT_EQ(e.Encrypt(plain, 13, nullptr, 0, true), 25u);
    EXPECT_EQ(e.Encrypt(plain, 13, text, sizeof(text), true), 0u);
    EXPECT_STREQ(text, "k5uh/BAgug2ta/2HxAFgsQ==");
    EXPECT_EQ(e.GetLastLength(), 25u);

    // Nothing but one block of eight 8s.
    const std::vector<uint8_t> empty = EncryptBytes(e, "", 0);
    EXPECT_EQ(ToHex(empty.data(), empty.size()), "7D4FDB37495B3E56");
}

TEST(Encryptor, OutputSizesAndRoundTrips)
{
    TEncryptor e("Qu1LLoRyQRRR");
    uint8_t plain[40];
    for (uint32_t i = 0; i < sizeof(plain); ++i)
        plain[i] = uint8_t(i * 37 + 1);

    struct Case {
        uint32_t length;
        uint32_t bytes;
        uint32_t text;  // Base64 plus the NUL
    } cases[] = {{0, 8, 13}, {1, 8, 13}, {7, 8, 13}, {8, 16, 25}, {13, 16, 25}, {16, 24, 33}, {40, 48, 65}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        EXPECT_EQ(e.Encrypt(plain, c.length, nullptr, 0, false), c.bytes);
        EXPECT_EQ(e.Encrypt(plain, c.length, nullptr, 0, true), c.text);

        const std::vector<uint8_t> cipher = EncryptBytes(e, plain, c.length);
        ASSERT_EQ(cipher.size(), c.bytes);
        std::vector<uint8_t> back(cipher.size(), 0xEE);
        EXPECT_EQ(e.Decrypt(cipher.data(), uint32_t(cipher.size()), back.data(), uint32_t(back.size()), false), 0u);
        ASSERT_EQ(e.GetLastLength(), c.length);
        EXPECT_EQ(0, std::memcmp(back.data(), plain, c.length));

        std::vector<char> text(c.text);
        ASSERT_EQ(e.Encrypt(plain, c.length, text.data(), c.text, true), 0u);
        EXPECT_EQ(std::strlen(text.data()), c.text - 1);
        std::fill(back.begin(), back.end(), 0xEE);
        EXPECT_EQ(e.Decrypt(text.data(), c.text - 1, back.data(), uint32_t(back.size()), true), 0u);
        ASSERT_EQ(e.GetLastLength(), c.length);
        EXPECT_EQ(0, std::memcmp(back.data(), plain, c.length));
    }
}

TEST(Encryptor, TooSmallDestinationIsNotTouched)
{
    TEncryptor e("Qu1LLoRyQRRR");
    const char plain[] = "0123456789";
    uint8_t first[16];
    ASSERT_EQ(e.Encrypt(plain, 10, first, sizeof(first), false), 0u);
    ASSERT_EQ(e.GetLastLength(), 16u);

    uint8_t dest[32];
    std::memset(dest, 0xAA, sizeof(dest));
    auto allAA = [&] {
        for (uint8_t b : dest)
            if (b != 0xAA)
                return false;
        return true;
    };

    EXPECT_EQ(e.Encrypt(plain, 3, dest, 7, false), 8u);
    EXPECT_EQ(e.Encrypt(plain, 10, dest, 15, false), 16u);
    EXPECT_EQ(e.Encrypt(plain, 10, dest, 24, true), 25u);
    EXPECT_EQ(e.Decrypt(first, 16, dest, 9, false), 10u);
    EXPECT_EQ(e.Decrypt(first, 16, nullptr, 100, false), 10u);
    EXPECT_TRUE(allAA());
    EXPECT_EQ(e.GetLastLength(), 16u);
}

TEST(Encryptor, PadCountOutsideOneToEightStaysInsideTheBuffer)
{
    TEncryptor e("Qu1LLoRyQRRR");
    // In ECB the first output block enciphers the first 8 input bytes alone,
    // so its last deciphered byte is whatever we put there.
    struct Case {
        uint8_t last;
        uint32_t plain;
    } cases[] = {{3, 5}, {8, 0}, {0, 8}, {9, 0}, {0x7F, 0}, {0x80, 0}, {0xFF, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.last));
        uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, c.last};
        const std::vector<uint8_t> cipher = EncryptBytes(e, block, 8);
        uint8_t out[8];
        EXPECT_EQ(e.Decrypt(cipher.data(), 8, nullptr, 0, false), c.plain);
        EXPECT_EQ(e.Decrypt(cipher.data(), 8, out, sizeof(out), false), 0u);
        EXPECT_EQ(e.GetLastLength(), c.plain);
    }

    // Lengths that are no multiple of 8, and nothing at all.
    const std::vector<uint8_t> cipher = EncryptBytes(e, "abcdefghijkl", 12);
    for (uint32_t n : {0u, 1u, 5u, 9u, 15u}) {
        std::vector<uint8_t> out(n + 1);
        const uint32_t need = e.Decrypt(cipher.data(), n, nullptr, 0, false);
        EXPECT_LE(need, n);
        EXPECT_EQ(e.Decrypt(cipher.data(), n, out.data(), uint32_t(out.size()), false), 0u);
        EXPECT_EQ(e.GetLastLength(), need);
    }
}

TEST(Base64, EncodeAndDecodeTable)
{
    struct Case {
        const char* plain;
        const char* text;
    } cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plain);
        const size_t n = std::strlen(c.plain);
        EXPECT_EQ(Base64EncodedLength(n), std::strlen(c.text));
        EXPECT_EQ(Base64Encode(reinterpret_cast<const uint8_t*>(c.plain), n), c.text);
        const std::vector<uint8_t> back = Base64Decode(c.text, std::strlen(c.text));
        EXPECT_EQ(std::string(back.begin(), back.end()), c.plain);
    }

    const uint8_t high[] = {0xFB, 0xFF, 0xBF};
    EXPECT_EQ(Base64Encode(high, 3), "+/+/");
}

TEST(Base64, DecodeOfIrregularInput)
{
    struct Case {
        const char* text;
        size_t length;
    } cases[] = {
        {"Zg", 1},        // completed to "Zg=="
        {"Zm9", 2},       // completed to "Zm9="
        {"Zm9vY", 4},     // second group "Y===": 3 - 2
        {"Zg==Zm9v", 4},  // a padded group in the middle still shortens the total
        {"!!!!", 3},      // foreign characters are not rejected
        {"A=BC", 3},      // "=" only counts in the last two places
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Base64Decode(c.text, std::strlen(c.text)).size(), c.length);
    }
    EXPECT_EQ(Base64Decode("Zg", 2)[0], 'f');
    EXPECT_TRUE(IsBase64Text("Qu1LLoRyQ+/R", 12));
    EXPECT_FALSE(IsBase64Text("Qu1LLoRy=RRR", 12));
}
