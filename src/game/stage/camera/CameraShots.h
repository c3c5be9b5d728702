#pragma once
#include "game/stage/scene/CameraRecord.h"
#include "platform/TString.h"

namespace KScene {

// The stage's fixed shots. The default is where every show starts and
// where the pointer turns the camera; the others are where the show's
// moves go: the classmates' pedestals (introduction and choosing a
// classmate), the question board on the main screens, and the same
// screens a little wider for the final question.
inline const CameraRecord kDefaultShot(-3.0089f, 3.3058f, -10.0544f, 0.0f, 6.07f, 0.0f, 0.715f);
inline const CameraRecord kIntroShot(-3.017f, 4.006f, -7.726f, 6.283f, 4.614f, 0.105f, 0.785f);
inline const CameraRecord kBoardShot(1.002f, 4.986f, -10.054f, 0.0f, 6.279f, 0.0f, 0.245f);
inline const CameraRecord kFinalShot(1.002f, 4.986f, -10.054f, 0.0f, 6.279f, 0.0f, 0.405f);

// The shot of that name ("default", "intro", "board", "final"); false
// for any other name.
bool FindCameraShot(const TString& name, CameraRecord& shot);

} // namespace KScene
