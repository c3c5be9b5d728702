#pragma once
#include <cstdint>
#include <memory>

#include "game/stage/anim/MultiAnim.h"
#include "game/stage/anim/SimpleAnim.h"
#include "game/stage/anim/StaticAnim.h"
#include "platform/Rect.h"
#include "platform/TString.h"
#include "platform/Vector.h"

class TWindow;

namespace KEvent {
class Event;
}

namespace KAnim {

// The money display: the money counter, the ladder's eleven labels and the
// steps lighting up one after another from the bottom, all in one
// MultiAnim shown in an animation window. Positions are pixels of the
// 800 x 600 screen; step k counts from 0 at the bottom, and steps from 5 up
// sit 2 pixels higher. Steps 10 and up use the long pictures at the top.

// The extra lift of step (or label) k: 0 up to 4, 2 from 5.
int32_t LadderLift(int32_t k);
// Where the pieces of step k go.
TVec2 BlueFadePosition(int32_t k);
TVec2 FlarePosition(int32_t k);
TVec2 HighlightPosition(int32_t k);
// The box of label index, the ladder starting at label first (row
// index - first; the lift is the label's own, not the row's).
TRect LadderTextRect(int32_t first, int32_t index);
// The label text of a ladder index ("money_ladder_%i" in the string table).
TString LadderLabel(int32_t index);

// The pieces; the frame animations are not registered and get their frame
// rate from the caller.
std::shared_ptr<SimpleAnim> MakeBlueFade(int32_t k);
std::shared_ptr<SimpleAnim> MakeFlare(int32_t k);
std::shared_ptr<StaticImageAnim> MakeLadderHighlight(int32_t k, const std::shared_ptr<KEvent::Event>& owner);
std::shared_ptr<StaticTextAnim> MakeLadderText(int32_t first, int32_t index,
                                               const std::shared_ptr<KEvent::Event>& owner);

// Builds the display for count right answers (0 to 12; others are clamped
// with a log line), to run once after has finished (a new dummy when
// empty) and to end no sooner than hold has finished (when given). The
// labels start at index 1 with honours. Shown under parent (no window
// without one: the caller draws the group). out is the event that starts
// it all (the window's show event, else the group's start); the return is
// the group's end event. A display still showing is asked to stop first.
std::shared_ptr<KEvent::Event> MakeMoneyAnim(std::shared_ptr<KEvent::Event>& out, int32_t count,
                                             const std::shared_ptr<KEvent::Event>& after,
                                             const std::shared_ptr<KEvent::Event>& hold, bool honours,
                                             TWindow* parent);
// The show's form: honours from the show's record, the stage window (see
// SetMoneyDisplayParent) as parent.
std::shared_ptr<KEvent::Event> MakeMoneyAnim(std::shared_ptr<KEvent::Event>& out, int32_t count,
                                             const std::shared_ptr<KEvent::Event>& after,
                                             const std::shared_ptr<KEvent::Event>& hold);

// The window the show's money display goes under (the stage window sets
// it; null: none).
void SetMoneyDisplayParent(TWindow* parent);
TWindow* GetMoneyDisplayParent();
// The display made last, until released (at shut-down, before the assets).
const std::shared_ptr<MultiAnim>& GetMoneyDisplay();
void ReleaseMoneyDisplay();

} // namespace KAnim
