#pragma once
#include <cstdint>

#include "game/show/cast/KChild.h"

namespace Quillory {

// The host: a character built in code, standing at one of three marks on
// the stage. Its animations are named after the mark ("Pos2_Talk1"), so
// the same request plays where the host stands.
class CVModel : public KChild {
public:
    static constexpr const char* kName = "Corin Varnum";
    static constexpr const char* kModelFile = "mesh/varnum/varnum.x";
    static constexpr const char* kAnimFile = "mesh/varnum/varnum.xml";
    static constexpr const char* kInitAnim = "Pos1_Stand";
    static constexpr uint32_t kMarks = 3;

    // Loads the host's model and animations.
    CVModel();

    // Plays "Pos<mark>_<name>".
    std::shared_ptr<KEvent::Event> PlayAnim(const TString& name, int32_t priority) override;

    // A mark from the show's random source: next word mod 3, plus 1.
    void PickRandomPosition();
    uint32_t GetPosition() const { return mPosition; }
    // Marks 1 to 3; any other is refused (logged) and the mark kept.
    void SetPosition(uint32_t position);

    // The character's resets, and back at mark 1.
    void ResetForShow() override;

private:
    uint32_t mPosition = 1;
};

} // namespace Quillory
