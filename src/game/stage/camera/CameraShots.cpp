#include "game/stage/camera/CameraShots.h"

#include <cstring>

namespace KScene {

bool FindCameraShot(const TString& name, CameraRecord& shot)
{
    static const struct {
        const char* name;
        const CameraRecord* shot;
    } kShots[] = {
        {"default", &kDefaultShot},
        {"intro", &kIntroShot},
        {"board", &kBoardShot},
        {"final", &kFinalShot},
    };
    for (const auto& entry : kShots) {
        if (std::strcmp(name.c_str(), entry.name) == 0) {
            shot = *entry.shot;
            return true;
        }
    }
    return false;
}

} // namespace KScene
