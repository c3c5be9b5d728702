#pragma once
#include <cstdint>
#include <memory>

class TWindow;
struct TVec2;

namespace KEvent {
class Event;
}

// Ready-made event chains the show's steps link into their own. Each gives
// an event that can be linked: a dummy when there is nothing to do.

// The audience's reaction to the show's last answer: a groan for a wrong
// one; for a right one applause that grows with the right answers so far,
// up to three sounds (the second starts 600 to 1199 ms after the first,
// the third follows the second). The event ends when the first and the
// last sound have ended. No show: a dummy.
std::shared_ptr<KEvent::Event> AudienceReactionSound();

// The named animation on one character at priority 1. who: 0 to 4 a
// classmate (not the current one), -1 the current classmate, 255 the host
// (which plays, but a dummy comes back that does not wait for it); any
// other number, a missing or refusing character: a dummy.
std::shared_ptr<KEvent::Event> PlayKidsAnim(int32_t who, const char* animation);

// The chalk cross that strikes out a used-up help, centred on position
// (screen pixels): the cross is drawn stroke by stroke, then its still
// image stays until owner has finished. Shown in an animation window added
// to parent (the stage when null); with neither, nothing is drawn and the
// events end at once. The event ends when the still image has gone; cross,
// when given, receives the event of the cross alone, which ends once it has
// been drawn.
std::shared_ptr<KEvent::Event> PlayChalkAnim(const TVec2& position, const std::shared_ptr<KEvent::Event>& owner,
                                             TWindow* parent, std::shared_ptr<KEvent::Event>* cross = nullptr);
