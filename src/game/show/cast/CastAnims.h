#pragma once
#include <cstdint>
#include <memory>

namespace KEvent {
class Event;
}

namespace Quillory {

// Animations picked for the classmates and the host, each drawing its
// choice from the show's random source. Every one gives an event that can
// be linked: a dummy when the character is missing or refuses (a running
// animation with a stronger claim).

// "StandIdle1/2" for the helping classmate, "SitIdle1/2" for the others.
std::shared_ptr<KEvent::Event> PlayClassmateIdle(int32_t index, int32_t priority);
// The host's "Idle1" to "Idle3" and "Talk1" to "Talk3", at its mark.
std::shared_ptr<KEvent::Event> PlayHostIdle(int32_t priority);
std::shared_ptr<KEvent::Event> PlayHostTalk(int32_t priority);
// The whole class writes down an answer (each after its thinking time; the
// helping classmate does not) or claps; one event that ends when every
// classmate's animation has ended.
std::shared_ptr<KEvent::Event> MakeClassmatesWrite();
std::shared_ptr<KEvent::Event> MakeClassmatesClap();

} // namespace Quillory
