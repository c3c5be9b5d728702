#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/TString.h"

class TWindow;

namespace KEvent {

class Event;

// What the show's events reach outside the event engine. The show
// controller, the stage, the classmates and the question records implement
// these and register themselves while they live; events find nothing
// registered as "no show": they only finish.

// A question that can be shown (the question records).
class QuestionView {
public:
    virtual ~QuestionView() = default;
    // A new answer window for the question, owned by the caller; may be null.
    virtual TWindow* MakeWindow() = 0;
    virtual TString GetQuestionText() const = 0;
};

// The running show (the show controller).
class ShowLink {
public:
    virtual ~ShowLink() = default;
    // Runs one show step.
    virtual void ShowStep() = 0;
    // The event of the music now playing; may be empty.
    virtual std::shared_ptr<Event> GetCurrentMusic() = 0;
    // The studio screens: a question, the current question, or a text.
    virtual void ShowQuestionOnMainScreens(QuestionView* question) = 0;
    virtual void ShowCurrentQuestionOnMainScreens() = 0;
    virtual void ShowChalkboardText(const TString& text) = 0;
    // Adds the window to the stage as its question window.
    virtual void ShowQuestionWindow(TWindow* window) = 0;
};

// The classmates and the host.
class CastLink {
public:
    virtual ~CastLink() = default;
    // who: 0 to 4, -1 for the current classmate, 255 for the host.
    virtual std::shared_ptr<Event> PlayKidsAnim(int32_t who, const char* animation) = 0;
    // Board questions already played.
    virtual int32_t CountPlayed() = 0;
    // The show's random source's next word.
    virtual uint32_t NextRandomWord() = 0;
    // The host's standing position (1 to 3) and its "Stand" animation.
    virtual void SetHostPosition(int32_t position) = 0;
    virtual void PlayHostStand() = 0;
};

// The pedestal lights, as hue and saturation (each 0 to 1).
class PodiumLights {
public:
    virtual ~PodiumLights() = default;
    virtual void ReadPodiumColor(float& hue, float& saturation) = 0;
    virtual void SetPodiumLight(float hue, float saturation) = 0;
};

// A confetti emitter (the stage's confetti canon).
class ConfettiControl {
public:
    virtual ~ConfettiControl() = default;
    virtual void Start() = 0;
    // Fallen pieces are no longer replaced; the confetti runs out.
    virtual void StopRespawn() = 0;
};
using ConfettiFactory = std::function<std::shared_ptr<ConfettiControl>(uint16_t count)>;

// Registration; null (or an empty factory) unregisters. Not owned.
void SetShowLink(ShowLink* link);
ShowLink* GetShowLink();
void SetCastLink(CastLink* link);
CastLink* GetCastLink();
void SetPodiumLights(PodiumLights* lights);
PodiumLights* GetPodiumLights();
void SetConfettiFactory(ConfettiFactory factory);
const ConfettiFactory& GetConfettiFactory();

} // namespace KEvent
