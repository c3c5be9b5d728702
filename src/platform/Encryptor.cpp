#include "platform/Encryptor.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/Base64.h"
#include "platform/Blowfish.h"
#include "platform/Log.h"

namespace {

constexpr uint32_t kKeyTextLength = 12;
const char kKeyFiller[] = "RRRRRRRRRRRR";
const char kKeyTail[] = "RRR";

}  // namespace

TString TEncryptor::NormaliseKey(const TString& keyText)
{
    std::string key(keyText.c_str());
    if (key.size() != kKeyTextLength)
        key = (key + kKeyFiller).substr(0, kKeyTextLength);
    key.replace(kKeyTextLength - 3, 3, kKeyTail);
    return TString(key.c_str());
}

TEncryptor::TEncryptor(const TString& keyText)
    : mCipher(new TBlowfish)
{
    const TString key = NormaliseKey(keyText);
    if (!IsBase64Text(key.c_str(), key.Length()))
        WriteLog("TEncryptor: the key text has characters outside Base64");
    const std::vector<uint8_t> bytes = Base64Decode(key.c_str(), key.Length());
    mCipher->SetKey(bytes.data(), bytes.size());
}

TEncryptor::~TEncryptor() = default;

uint32_t TEncryptor::Encrypt(const void* source, uint32_t length, void* dest, uint32_t capacity, bool asText)
{
    if (!source)
        length = 0;
    const uint32_t pad = 8 - length % 8;
    const uint64_t padded = uint64_t(length) + pad;
    const uint64_t needed = asText ? Base64EncodedLength(padded) + 1 : padded;
    if (needed > UINT32_MAX)
        return UINT32_MAX;
    if (!dest || capacity < needed)
        return uint32_t(needed);

    std::vector<uint8_t> buffer(padded, uint8_t(pad));
    if (length)
        std::memcpy(buffer.data(), source, length);
    for (size_t at = 0; at < buffer.size(); at += TBlowfish::kBlockSize)
        mCipher->EncryptBlock(buffer.data() + at);

    if (asText) {
        const std::string text = Base64Encode(buffer.data(), buffer.size());
        std::memcpy(dest, text.c_str(), text.size() + 1);
    } else {
        std::memcpy(dest, buffer.data(), buffer.size());
    }
    mLastLength = uint32_t(needed);
    return 0;
}

uint32_t TEncryptor::Decrypt(const void* source, uint32_t length, void* dest, uint32_t capacity, bool fromText)
{
    if (!source)
        length = 0;
    std::vector<uint8_t> buffer;
    if (fromText)
        buffer = Base64Decode(static_cast<const char*>(source), length);
    else
        buffer.assign(static_cast<const uint8_t*>(source), static_cast<const uint8_t*>(source) + length);
    const size_t inputLength = buffer.size();
    buffer.resize((inputLength + 7) / 8 * 8, 0);
    for (size_t at = 0; at < buffer.size(); at += TBlowfish::kBlockSize)
        mCipher->DecryptBlock(buffer.data() + at);

    // The pad count is the last input byte, signed; a count that would make
    // the plain length negative or longer than the input gives 0 bytes.
    uint32_t plain = 0;
    if (inputLength > 0) {
        const int64_t p = int8_t(buffer[inputLength - 1]);
        const int64_t rest = int64_t(inputLength) - p;
        if (rest >= 0 && rest <= int64_t(inputLength))
            plain = uint32_t(rest);
    }
    if (!dest || capacity < plain)
        return plain;
    if (plain)
        std::memcpy(dest, buffer.data(), plain);
    mLastLength = plain;
    return 0;
}
