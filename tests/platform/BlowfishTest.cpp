#include "platform/Blowfish.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> FromHex(const std::string& hex)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

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

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// Published ECB vectors (Eric Young's set), then the variable-length key
// vectors with the key F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677 cut
// to 1, 3, 8, 9, 10 and 24 bytes.
const Vector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
    {"F0", "FEDCBA9876543210", "F9AD597C49DB005E"},
    {"F0E1D2", "FEDCBA9876543210", "E9C2B70A1BC65CF3"},
    {"F0E1D2C3B4A59687", "FEDCBA9876543210", "E87A244E2CC85E82"},
    {"F0E1D2C3B4A5968778", "FEDCBA9876543210", "15750E7A4F4EC577"},
    {"F0E1D2C3B4A596877869", "FEDCBA9876543210", "122BA70B3AB64AE0"},
    {"F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210", "05044B62FA52D080"},
};

}  // namespace

TEST(Blowfish, PublishedVectorsEncryptAndDecrypt)
{
    TBlowfish bf;
    for (const Vector& v : kVectors) {
        SCOPED_TRACE(std::string("key ") + v.key + " plain " + v.plain);
        const std::vector<uint8_t> key = FromHex(v.key);
        bf.SetKey(key.data(), key.size());
        std::vector<uint8_t> block = FromHex(v.plain);
        bf.EncryptBlock(block.data());
        EXPECT_EQ(ToHex(block.data(), 8), v.cipher);
        bf.DecryptBlock(block.data());
        EXPECT_EQ(ToHex(block.data(), 8), v.plain);
    }
}

TEST(Blowfish, WordAndByteFormsAgreeBigEndian)
{
    const std::vector<uint8_t> key = FromHex("0123456789ABCDEF");
    TBlowfish bf;
    bf.SetKey(key.data(), key.size());
    uint32_t left = 0x11111111, right = 0x11111111;
    bf.EncryptBlock(left, right);
    EXPECT_EQ(left, 0x61F9C380u);
    EXPECT_EQ(right, 0x2281B096u);
    bf.DecryptBlock(left, right);
    EXPECT_EQ(left, 0x11111111u);
    EXPECT_EQ(right, 0x11111111u);
}

TEST(Blowfish, SetKeyStartsFromTheInitialTablesEachTime)
{
    // A second key must not be mixed into the tables of the first.
    const std::vector<uint8_t> first = FromHex("FFFFFFFFFFFFFFFF");
    const std::vector<uint8_t> second = FromHex("0000000000000000");
    TBlowfish bf;
    bf.SetKey(first.data(), first.size());
    bf.SetKey(second.data(), second.size());
    uint8_t block[8] = {};
    bf.EncryptBlock(block);
    EXPECT_EQ(ToHex(block, 8), "4EF997456198DD78");
}
