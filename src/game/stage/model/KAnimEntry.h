#pragma once
#include <cstdint>
#include <vector>

#include "game/stage/model/XTransform.h"
#include "platform/TString.h"

namespace KScene {

// One named animation of a character: steps, each showing one key frame of
// the model's bones for a number of milliseconds, and the placement of the
// mesh frame while it plays. frames and durations have the same length, at
// most 65535 steps.
struct KAnimEntry {
    TString name;
    std::vector<uint16_t> frames;
    std::vector<uint32_t> durations;
    XTransform transform;

    uint16_t GetCount() const { return uint16_t(frames.size()); }
};

} // namespace KScene
