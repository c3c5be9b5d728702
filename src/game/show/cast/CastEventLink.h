#pragma once
#include <cstdint>
#include <memory>

#include "game/show/event/ShowLinks.h"

namespace Quillory {

// What the show's events reach of the classmates and the host: the cast
// manager registers one while it lives.
class CastEventLink : public KEvent::CastLink {
public:
    std::shared_ptr<KEvent::Event> PlayKidsAnim(int32_t who, const char* animation) override;
    // From the running show's record; 0 without a show.
    int32_t CountPlayed() override;
    uint32_t NextRandomWord() override;
    // Marks outside 1 to 3 are refused (logged) and the host stays.
    void SetHostPosition(int32_t position) override;
    // "Stand" at the host's mark, at priority 1.
    void PlayHostStand() override;
};

} // namespace Quillory
