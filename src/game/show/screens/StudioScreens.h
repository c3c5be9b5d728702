#pragma once
#include <cstdint>
#include <memory>

#include "game/show/event/ShowLinks.h"
#include "platform/TString.h"

namespace KScene {
class WRenderable;
}
namespace KQuestion {
class QBase;
}

// The studio set's screens and lights besides the main screens (which the
// show controller keeps): display windows for questions, the numbered small
// screens and the pedestal lights. Main thread only. Missing scene elements
// are skipped.

// A new display window for the question, owned by the caller: its picture
// beside its text for a picture question (type 3, the picture named by its
// data field), its text alone for any other.
std::unique_ptr<KScene::WRenderable> MakeQuestionDisplayWindow(const KQuestion::QBase& question);

// The text on the small screen "Windows%02d" of number n. The display
// window is rendered and deleted at once; the element keeps the texture.
void SetScreenWindowText(int32_t number, const TString& text);

// The pedestal lights "ped_light_0" to "ped_light_3" in the colour of
// (hue, saturation), each 0 to 1: ambient at lightness 0.31, a pale
// specular of a quarter of the saturation, grey diffuse.
void SetPodiumLight(float hue, float saturation);
// Hue and saturation of the first pedestal light's ambient colour; (0, 0)
// without that light.
void ReadPodiumColor(float& hue, float& saturation);

// Hides and disables the button "btn_skipVO" wherever it is under the root
// window; nothing when there is none.
void HideSkipVOButton();

// The pedestal lights as the show's events reach them; registered by the
// show controller while it lives.
class StudioPodiumLights : public KEvent::PodiumLights {
public:
    void ReadPodiumColor(float& hue, float& saturation) override { ::ReadPodiumColor(hue, saturation); }
    void SetPodiumLight(float hue, float saturation) override { ::SetPodiumLight(hue, saturation); }
};
