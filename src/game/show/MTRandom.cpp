#include "game/show/MTRandom.h"

#include <cmath>

#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"

namespace {

constexpr int kMiddle = 397;
constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;

// The default instance's key: any fixed words would do; these are the
// reference test key, so the default sequence is the published one.
constexpr uint32_t kDefaultKey[4] = {0x123, 0x234, 0x345, 0x456};

MTRandom* gInstance = nullptr;

} // namespace

MTRandom::MTRandom()
{
    InitByArray(kDefaultKey, 4);
}

MTRandom* MTRandom::Instance()
{
    if (!gInstance) {
        gInstance = new MTRandom();
        // The top modal window's clock: how long the screen has been up.
        uint32_t seed = 0;
        if (TWindowManager* manager = GetWindowManager())
            if (TModalWindow* top = manager->GetTopModal())
                seed = top->GetClock().GetTime();
        gInstance->Seed(seed);
        gInstance->mHasSpare = false;
        gInstance->mSpare = 0.0;
    }
    return gInstance;
}

void MTRandom::Destroy()
{
    delete gInstance;
    gInstance = nullptr;
}

void MTRandom::Seed(uint32_t seed)
{
    mState[0] = seed;
    for (uint32_t i = 1; i < kStateWords; ++i)
        mState[i] = 1812433253u * (mState[i - 1] ^ (mState[i - 1] >> 30)) + i;
    mIndex = kStateWords;
}

void MTRandom::InitByArray(const uint32_t* key, int32_t length)
{
    Seed(19650218u);
    if (!key || length <= 0) {
        // No key words: the one-word seeding alone.
        return;
    }
    uint32_t i = 1, j = 0;
    for (int32_t k = kStateWords > length ? kStateWords : length; k > 0; --k) {
        mState[i] = (mState[i] ^ ((mState[i - 1] ^ (mState[i - 1] >> 30)) * 1664525u)) + key[j] + j;
        ++i;
        ++j;
        if (i >= kStateWords) {
            mState[0] = mState[kStateWords - 1];
            i = 1;
        }
        if (j >= uint32_t(length))
            j = 0;
    }
    for (int k = kStateWords - 1; k > 0; --k) {
        mState[i] = (mState[i] ^ ((mState[i - 1] ^ (mState[i - 1] >> 30)) * 1566083941u)) - i;
        ++i;
        if (i >= kStateWords) {
            mState[0] = mState[kStateWords - 1];
            i = 1;
        }
    }
    mState[0] = 0x80000000u;
}

void MTRandom::Refill()
{
    for (int k = 0; k < kStateWords; ++k) {
        const uint32_t y = (mState[k] & kUpperMask) | (mState[(k + 1) % kStateWords] & kLowerMask);
        mState[k] = mState[(k + kMiddle) % kStateWords] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
    }
    mIndex = 0;
}

uint32_t MTRandom::NextWord()
{
    if (mIndex >= kStateWords)
        Refill();
    uint32_t y = mState[mIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

double MTRandom::RandomDouble()
{
    const uint32_t a = NextWord() >> 5;
    const uint32_t b = NextWord() >> 6;
    return (a * 67108864.0 + b) * (1.0 / 9007199254740992.0);
}

double MTRandom::Gaussian()
{
    if (mHasSpare) {
        mHasSpare = false;
        return mSpare;
    }
    double x1 = 0, x2 = 0, s = 0;
    do {
        x1 = 2.0 * RandomDouble() - 1.0;
        x2 = 2.0 * RandomDouble() - 1.0;
        s = x1 * x1 + x2 * x2;
    } while (s >= 1.0 || s == 0.0);
    const double f = std::sqrt(-2.0 * std::log(s) / s);
    mSpare = x1 * f;
    mHasSpare = true;
    return x2 * f;
}

double MTRandom::Range(double mean, double deviation)
{
    return mean + Gaussian() * deviation;
}

float MTRandom::UnitFloat(uint32_t word)
{
    return float(double(word) * (1.0 / (4294967296.0 + 128.0)));
}

float MTRandom::RandomFloat(float lo, float hi)
{
    const double u = UnitFloat(NextWord());
    return float(double(lo) + (double(hi) - double(lo)) * u);
}

int32_t MTRandom::RandomInt(int32_t lo, int32_t hi)
{
    if (hi < lo)
        std::swap(lo, hi);
    const double u = UnitFloat(NextWord());
    // The count as a 64-bit number: the whole int32 range is 2^32 values.
    const double n = double(int64_t(hi) - int64_t(lo) + 1);
    const int64_t value = int64_t(lo) + int64_t(std::floor(u * n));
    return int32_t(value > hi ? hi : value);
}
