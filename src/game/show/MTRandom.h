#pragma once
#include <cstdint>
#include <utility>
#include <vector>

// The game's random source: the MT19937 Mersenne twister (the published
// reference seeding by one word and by an array, its refill and tempering)
// with derived draws. One instance serves the show (Instance, seeded from
// the top modal window's clock on first use); a default-constructed one has
// a fixed key, so its sequence is the same in every run. Main thread only.
class MTRandom {
public:
    // Seeded by InitByArray with the fixed default key.
    MTRandom();

    // The show's instance, made on first use; Destroy deletes it (and a
    // later Instance makes a new one).
    static MTRandom* Instance();
    static void Destroy();

    // The reference seeding by one word; by an array of key words.
    void Seed(uint32_t seed);
    void InitByArray(const uint32_t* key, int32_t length);

    // The reference 32-bit output.
    uint32_t NextWord();
    // [0, 1) with 53-bit resolution, from two words.
    double RandomDouble();
    // A standard normal deviate (polar method; every second one is kept
    // from the draw before and takes no words).
    double Gaussian();
    // mean + Gaussian() * deviation.
    double Range(double mean, double deviation);
    // lo + (hi - lo) * u from one word, u in [0, 1) as a float.
    float RandomFloat(float lo, float hi);
    // lo .. hi inclusive from one word; bounds given the wrong way round
    // are swapped.
    int32_t RandomInt(int32_t lo, int32_t hi);

    // The game's shuffle: element i swapped with element NextWord() % n,
    // for i from 0 to n - 1 (n words drawn; not Fisher-Yates).
    template <class T>
    void Shuffle(std::vector<T>& items)
    {
        const uint32_t n = uint32_t(items.size());
        for (uint32_t i = 0; i < n; ++i)
            std::swap(items[i], items[NextWord() % n]);
    }

    // One word as a float in [0, 1): word / (2^32 + 128), rounded to float.
    static float UnitFloat(uint32_t word);

private:
    static constexpr int kStateWords = 624;

    void Refill();

    uint32_t mState[kStateWords];
    int32_t mIndex = kStateWords + 1;
    bool mHasSpare = false;
    double mSpare = 0.0;
};
