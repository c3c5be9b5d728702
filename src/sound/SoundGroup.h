#pragma once
#include <cstdint>

// Volume groups of the sounds.
using SoundGroupId = int32_t;
constexpr SoundGroupId kSoundGroupMusic = 0;
constexpr SoundGroupId kSoundGroupEffects = 1000;
constexpr SoundGroupId kSoundGroupVoice = 3000;
