#include "game/stage/StageLua.h"

#include <cmath>

#include "game/show/cast/KChild.h"
#include "game/show/cast/KChildManager.h"
#include "game/stage/camera/CameraEvent.h"
#include "game/stage/camera/CameraShots.h"
#include "game/stage/scene/SceneSet.h"
#include "platform/Log.h"
#include "ui/LuaBinding.h"

namespace {

// Negative or absurd durations become a cut.
uint32_t Duration(int32_t ms)
{
    return ms > 0 ? uint32_t(ms) : 0;
}

int32_t LoadStudio(const TString& file)
{
    KScene::KSceneSet* scene = KScene::KSceneSet::Get();
    scene->Load(file, false);
    return int32_t(scene->GetElementCount());
}

bool CameraShot(const TString& name, int32_t ms)
{
    KScene::CameraRecord shot;
    if (!KScene::FindCameraShot(name, shot)) {
        WriteLog("CameraShot: no shot named \"%s\"", name.c_str());
        return false;
    }
    return KScene::MakeCameraMove(shot, Duration(ms)) != nullptr;
}

bool CameraMove(double x, double y, double z, double pitch, double yaw, double roll, double fov, int32_t ms)
{
    for (double value : {x, y, z, pitch, yaw, roll, fov}) {
        if (!std::isfinite(value) || std::fabs(value) > 1e6) {
            WriteLog("CameraMove: %g is no camera value; the camera stays", value);
            return false;
        }
    }
    const KScene::CameraRecord shot{float(x), float(y), float(z), float(pitch), float(yaw), float(roll), float(fov)};
    return KScene::MakeCameraMove(shot, Duration(ms)) != nullptr;
}

bool CameraReturn(int32_t ms)
{
    return KScene::MakeCameraReturn(Duration(ms)) != nullptr;
}

int32_t LoadCast()
{
    Quillory::KChildManager* cast = Quillory::KChildManager::Instance();
    int32_t shown = 0;
    for (size_t i = 0; i < cast->GetClassmateCount(); ++i)
        shown += cast->GetChild(int32_t(i))->GetMeshFrame() != nullptr;
    if (cast->GetHost() && cast->GetHost()->GetMeshFrame())
        ++shown;
    return shown;
}

bool PlayCastAnimation(int32_t who, const TString& name)
{
    Quillory::KChild* child = Quillory::KChildManager::Instance()->GetChild(who);
    if (!child) {
        WriteLog("PlayCastAnimation: no character %d", who);
        return false;
    }
    return child->PlayAnim(name, 0) != nullptr;
}

} // namespace

void RegisterStageLua(lua_State* L)
{
    if (!L)
        return;
    LuaBind<&LoadStudio>(L, "LoadStudio");
    LuaBind<&CameraShot>(L, "CameraShot");
    LuaBind<&CameraMove>(L, "CameraMove");
    LuaBind<&CameraReturn>(L, "CameraReturn");
    LuaBind<&LoadCast>(L, "LoadCast");
    LuaBind<&PlayCastAnimation>(L, "PlayCastAnimation");
}
